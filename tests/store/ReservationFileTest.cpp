// Loading and saving the reservation file, damaged files and failed saves.
#include "StoreTestUtil.h"

#include "store/ReservationFile.h"

#include "posix/SafeFile.h"

#include <cerrno>
#include <csignal>
#include <iostream>
#include <random>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace storetest;
namespace fs = std::filesystem;

namespace {

// Makes every write past limit bytes fail, as a full disk would (root ignores permission
// bits, so a refused write is made this way).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

std::vector<FileRecord> threeRecords() {
    FileRecord a{.id = 7, .start = kBase + 200, .end = kBase + 300, .title = "seven"};
    FileRecord b{.id = 3, .start = kBase, .end = kBase + 250, .title = "three"};
    b.state = 1;
    FileRecord c{.id = 12, .start = kBase + 200, .end = kBase + 250, .title = "twelve"};
    return {a, b, c};
}

class ReservationFileTest : public TempDirTest {
protected:
    bool loadBytes(std::vector<uint8_t> const& bytes) {
        writeFile(m_file, bytes);
        return store().load(m_list);
    }
    ReservationFile& store() {
        if (!m_store)
            m_store = std::make_unique<ReservationFile>(m_file);
        return *m_store;
    }
    std::vector<std::string> titlesOf() {
        std::vector<std::string> titles;
        for (Reservation const& r : recordsOf(m_list))
            titles.emplace_back(r.title, r.titleLength());
        return titles;
    }
    void expectRescued(std::vector<uint8_t> const& original) {
        std::string copy = store().lastRescuedCopy();
        ASSERT_FALSE(copy.empty());
        EXPECT_EQ(fs::path(copy).parent_path(), fs::path(m_dir));
        EXPECT_EQ(fs::path(copy).filename().string().rfind(".ResvInfo.dat.damaged-", 0), 0u);
        EXPECT_EQ(readFile(copy), original);
    }

    ReservationList m_list;
    std::unique_ptr<ReservationFile> m_store;
};

} // namespace

TEST_F(ReservationFileTest, MissingEmptyAndBadPaths) {
    Reservation r = makeRec(kBase, kBase + 60);
    CheckResult ret;
    m_list.add(r, ret, 1);
    EXPECT_FALSE(ReservationFile("").load(m_list));
    EXPECT_FALSE(ReservationFile("").save(m_list));
    EXPECT_EQ(m_list.size(), 1) << "a refused path touches nothing";

    EXPECT_FALSE(store().load(m_list)); // first run: no file yet
    EXPECT_EQ(m_list.size(), 0);
    EXPECT_FALSE(ReservationFile(m_dir).load(m_list)); // a folder is not a reservation file
    // Nor is a FIFO, and with nobody writing to it the load must not wait for one.
    std::string const fifo = m_dir + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReservationFile(fifo).load(m_list));
    EXPECT_FALSE(ReservationFile(fifo).save(m_list));
    ::unlink(fifo.c_str());

    EXPECT_TRUE(loadBytes({}));
    EXPECT_EQ(m_list.size(), 0);
    EXPECT_EQ(store().lastRescuedCopy(), "");
}

TEST_F(ReservationFileTest, LoadRenumbersInFileOrderThenSorts) {
    std::vector<FileRecord> file = threeRecords();
    file.insert(file.begin() + 1, FileRecord{.id = -1, .start = 5, .end = 1, .freq = 0});
    ASSERT_TRUE(loadBytes(Bytes(file)));
    std::vector<Reservation> recs = recordsOf(m_list);
    ASSERT_EQ(recs.size(), 3u); // the -1 record is skipped, the overlaps all load
    EXPECT_EQ(titlesOf(), (std::vector<std::string>{"three", "twelve", "seven"}));
    EXPECT_EQ(recs[0].id, 1);
    EXPECT_EQ(recs[1].id, 2);
    EXPECT_EQ(recs[2].id, 0);
    EXPECT_EQ(recs[0].state, 0u);
    EXPECT_EQ(store().lastRescuedCopy(), "");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{".ResvInfo.dat"}));
}

// The command line's load keeps a saved list's ids; ids no list could have given (one
// twice, or out of range) are renumbered as Load does.
TEST_F(ReservationFileTest, LoadWithStoredIdsKeepsOnlyIdsAListCouldHaveGiven) {
    struct Case {
        std::vector<int32_t> stored;
        std::vector<int32_t> expected; // in the sorted order: three, twelve, seven
        int next;                      // the id a new record then gets
    } const cases[] = {
        {{7, 3, 12}, {3, 12, 7}, 0},
        {{7, 7, 12}, {1, 2, 0}, 3},
        {{7, 3, 10000}, {1, 2, 0}, 3},
    };
    for (Case const& c : cases) {
        std::vector<FileRecord> file = threeRecords();
        for (std::size_t i = 0; i < file.size(); ++i)
            file[i].id = c.stored[i];
        writeFile(m_file, Bytes(file));
        ASSERT_TRUE(store().loadKeepingIds(m_list));
        EXPECT_EQ(titlesOf(), (std::vector<std::string>{"three", "twelve", "seven"}));
        std::vector<int32_t> ids;
        for (Reservation const& r : recordsOf(m_list))
            ids.push_back(r.id);
        EXPECT_EQ(ids, c.expected) << c.stored[0] << "," << c.stored[1] << "," << c.stored[2];
        // A new record takes the smallest id the kept ones leave free.
        Reservation more = makeRec(kBase + 5000, kBase + 5100);
        CheckResult ret;
        int id = -1;
        ASSERT_TRUE(m_list.add(more, ret, 1, &id));
        EXPECT_EQ(id, c.next);
    }
}

TEST_F(ReservationFileTest, RefusedRecordStopsTheLoadAndKeepsACopy) {
    double const nan = std::numeric_limits<double>::quiet_NaN();
    FileRecord later{.id = 1, .start = kBase - 500, .end = kBase - 400, .title = "first"};
    FileRecord earlier{.id = 2, .start = kBase - 900, .end = kBase - 800, .title = "second"};
    FileRecord after{.id = 4, .start = kBase, .end = kBase + 1, .title = "never read"};
    for (FileRecord bad : {FileRecord{.id = 3, .start = kBase, .end = kBase},
                           FileRecord{.id = 3, .start = kBase, .end = kBase + 1, .freq = 0},
                           FileRecord{.id = 3, .start = nan, .end = kBase}}) {
        std::vector<uint8_t> bytes = Bytes({later, earlier, bad, after});
        EXPECT_FALSE(loadBytes(bytes));
        // What came before stays, in file order: the load stopped before sorting.
        EXPECT_EQ(titlesOf(), (std::vector<std::string>{"first", "second"}));
        expectRescued(bytes);
    }
    // Each damaged load kept its own copy; none was overwritten.
    EXPECT_EQ(folderEntries().size(), 4u);

    // The next save replaces the file; the copy stays.
    std::string copy = store().lastRescuedCopy();
    ASSERT_TRUE(store().save(m_list));
    EXPECT_EQ(readFile(m_file).size(), 2 * ReservationRecord::kSize);
    EXPECT_TRUE(fs::exists(copy));
}

TEST_F(ReservationFileTest, TheTenThousandAndFirstRecordIsRefused) {
    std::vector<FileRecord> file;
    for (int i = 0; i <= ReservationList::kCapacity; ++i)
        file.push_back({.id = i, .start = kBase + i * 10, .end = kBase + i * 10 + 5});
    EXPECT_FALSE(loadBytes(Bytes(file)));
    EXPECT_EQ(m_list.size(), ReservationList::kCapacity);
    EXPECT_FALSE(store().lastRescuedCopy().empty());
}

TEST_F(ReservationFileTest, TrailingFragmentIsDroppedNotCompleted) {
    std::vector<uint8_t> bytes = Bytes(threeRecords());
    bytes.resize(bytes.size() - 100);
    EXPECT_TRUE(loadBytes(bytes));
    EXPECT_EQ(titlesOf(), (std::vector<std::string>{"three", "seven"}));
    expectRescued(bytes);

    bytes.resize(ReservationRecord::kSize - 1); // a fragment only
    EXPECT_TRUE(loadBytes(bytes));
    EXPECT_EQ(m_list.size(), 0);
    expectRescued(bytes);
}

TEST_F(ReservationFileTest, UnterminatedTitleIsCutAtItsField) {
    FileRecord bad{.id = 0, .start = kBase, .end = kBase + 60};
    bad.terminateTitle = false;
    FileRecord next{.id = 1, .start = kBase + 60, .end = kBase + 120, .title = "next"};
    std::vector<uint8_t> bytes = Bytes({bad, next});
    EXPECT_TRUE(loadBytes(bytes));
    std::vector<Reservation> recs = recordsOf(m_list);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(std::strlen(recs[0].title), 255u);
    EXPECT_EQ(std::string(recs[0].title), std::string(255, 'X'));
    EXPECT_STREQ(recs[1].title, "next");
    expectRescued(bytes);
}

TEST_F(ReservationFileTest, SaveWritesTheFormatAndLoadReadsItBack) {
    ASSERT_TRUE(store().save(m_list));
    EXPECT_TRUE(readFile(m_file).empty());
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    Reservation a = makeRec(kBase + 100, kBase + 200, 0x3E8, "AM");
    a.weekdays = kWeekdayBits[0] | kWeekdayBits[6];
    a.pending = 0;
    a.state = 1;
    a.title[250] = 'q'; // hidden bytes travel too
    Reservation b = makeRec(kBase, kBase + 50, kFM80, "FM", 0);
    CheckResult ret;
    m_list.add(a, ret, 1);
    m_list.add(b, ret, 1);
    ASSERT_TRUE(store().save(m_list));

    FileRecord fb{.id = 1, .start = kBase, .end = kBase + 50, .title = "FM", .valid = 0};
    FileRecord fa{.id = 0, .start = kBase + 100, .end = kBase + 200, .freq = 0x3E8};
    fa.title = "AM";
    fa.week = 65;
    fa.pending = 0;
    fa.state = 1; // written as held
    std::vector<uint8_t> expected = Bytes({fb, fa});
    expected[250 + 24 + ReservationRecord::kSize] = 'q';
    for (std::size_t at : {286u, 287u, 286u + 292u, 287u + 292u})
        expected[at] = 0;
    EXPECT_EQ(readFile(m_file), expected);

    ReservationList back;
    ASSERT_TRUE(ReservationFile(m_file).load(back));
    std::vector<Reservation> recs = recordsOf(back);
    ASSERT_EQ(recs.size(), 2u);
    b.id = 0; // renumbered in file order
    a.id = 1;
    EXPECT_TRUE(recs[0] == b);
    EXPECT_TRUE(recs[1] == a);
    EXPECT_EQ(recs[1].state, 0u);
}

TEST_F(ReservationFileTest, FailedSaveLeavesTheOldFileAsItWas) {
    std::vector<uint8_t> old = Bytes(threeRecords());
    writeFile(m_file, old);
    ::chmod(m_file.c_str(), 0644);
    for (int i = 0; i < 20; ++i) {
        Reservation r = makeRec(kBase + i * 100, kBase + i * 100 + 50);
        CheckResult ret;
        m_list.add(r, ret, 1);
    }

    // Each failure is told with its reason.
    auto failure = [&](std::string const& path) {
        ReservationFile saving(path);
        EXPECT_FALSE(saving.save(m_list)) << path;
        SaveOutcome const outcome = saving.lastSaveOutcome();
        EXPECT_FALSE(outcome.saved);
        EXPECT_EQ(outcome.path, path);
        return outcome.error;
    };
    EXPECT_EQ(failure(m_dir + "/missing/.ResvInfo.dat"), ENOENT);
    fs::create_directory(m_dir + "/folder");
    EXPECT_EQ(failure(m_dir + "/folder"), EISDIR);
    EXPECT_TRUE(fs::is_directory(m_dir + "/folder"));
    {
        FileSizeLimit full(2 * ReservationRecord::kSize); // the disk fills up mid-write
        EXPECT_EQ(failure(m_file), EFBIG);
    }
    EXPECT_EQ(readFile(m_file), old);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{".ResvInfo.dat", "folder"}))
        << "no temporary file is left behind";

    // A later save succeeds and keeps the file's permission bits.
    ASSERT_TRUE(store().save(m_list));
    EXPECT_TRUE(store().lastSaveOutcome().saved);
    EXPECT_EQ(readFile(m_file).size(), 20 * ReservationRecord::kSize);
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

// Saves killed at random moments: the file is always one whole list, a killed save leaves
// at most one temporary file, and the sweep at the next start removes what there is.
TEST_F(ReservationFileTest, KilledSavesLeaveAWholeFileAndNoLastingLitter) {
    ReservationList lists[2];
    for (int i = 0; i < 1500; ++i) {
        Reservation r = makeRec(kBase + i * 100, kBase + i * 100 + 50);
        CheckResult ret;
        lists[i % 3 == 0 ? 0 : 1].add(r, ret, 0); // 500 and 1000 records
    }
    std::vector<uint8_t> images[2];
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(ReservationFile(m_file).save(lists[k]));
        images[k] = readFile(m_file);
    }
    auto leftovers = [&] {
        int count = 0;
        for (std::string const& name : folderEntries())
            count += name.rfind(".resvman-save-", 0) == 0 ? 1 : 0;
        return count;
    };

    std::mt19937 rng(20240115);
    int seen = 0;
    for (int kill = 0; kill < 200; ++kill) {
        pid_t const child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int k = 0;; k ^= 1)
                ReservationFile(m_file).save(lists[k]);
        }
        ::usleep(static_cast<useconds_t>(rng() % 8000));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);

        std::vector<uint8_t> const now = readFile(m_file);
        ASSERT_TRUE(now == images[0] || now == images[1]) << "after kill " << kill;
        int const left = leftovers();
        ASSERT_LE(left, 1) << "after kill " << kill;
        seen += left;
        EXPECT_EQ(removeSaveLeftovers(m_file), left);
        ASSERT_EQ(leftovers(), 0);
    }
    std::cout << "stray temporary files after 200 killed saves: " << seen << "\n";

    // Only files of the temporary files' own pattern go.
    writeFile(m_dir + "/.resvman-save-notmine", {});
    writeFile(m_dir + "/.resvman-save-ab.cd", {});
    EXPECT_EQ(removeSaveLeftovers(m_file), 0);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{".ResvInfo.dat", ".resvman-save-ab.cd",
                                                         ".resvman-save-notmine"}));
}

// A folder that refuses new files with a file that may be written: the file is rewritten in
// place rather than the save failing. (Root may write anywhere, so then a child that has
// given up root does the save.)
TEST_F(ReservationFileTest, UnwritableFolderWithAWritableFileIsRewrittenInPlace) {
    std::vector<uint8_t> const old = Bytes(threeRecords());
    writeFile(m_file, old);
    Reservation r = makeRec(kBase, kBase + 60);
    CheckResult ret;
    m_list.add(r, ret, 1);

    bool const root = ::geteuid() == 0;
    uid_t const user = root ? 65534 : ::geteuid(); // nobody
    ASSERT_EQ(::chmod(m_dir.c_str(), 0555), 0);
    ASSERT_EQ(::chown(m_file.c_str(), user, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(::chmod(m_file.c_str(), 0640), 0);
    pid_t const child = root ? ::fork() : 0;
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool const dropped = !root || ::setuid(user) == 0;
        bool const saved = dropped && store().save(m_list);
        if (root)
            ::_exit(saved ? 0 : 1);
        EXPECT_TRUE(saved);
    } else {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ::chmod(m_dir.c_str(), 0700);
    EXPECT_EQ(readFile(m_file).size(), ReservationRecord::kSize);
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{".ResvInfo.dat"}));
}

TEST_F(ReservationFileTest, SaveThroughASymbolicLinkKeepsTheLink) {
    fs::create_directory(m_dir + "/real");
    writeFile(m_dir + "/real/data", {});
    fs::create_symlink(m_dir + "/real/data", m_file);
    Reservation r = makeRec(kBase, kBase + 60);
    CheckResult ret;
    m_list.add(r, ret, 1);
    ASSERT_TRUE(store().save(m_list));
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_EQ(readFile(m_dir + "/real/data").size(), ReservationRecord::kSize);
}

TEST_F(ReservationFileTest, DamagedFileIsNeverReplacedBeforeItsCopyExists) {
    std::vector<uint8_t> bytes = Bytes(threeRecords());
    bytes.push_back(0x42); // fragment
    writeFile(m_file, bytes);
    {
        FileSizeLimit full(500); // room for the save (292 bytes), not the copy (877)
        EXPECT_TRUE(store().load(m_list));
        EXPECT_EQ(m_list.size(), 3);
        EXPECT_EQ(store().lastRescuedCopy(), "");
        m_list.remove(0); // a small list: the save itself would fit
        m_list.remove(1);
        EXPECT_FALSE(store().save(m_list));
        EXPECT_EQ(readFile(m_file), bytes);
    }
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{".ResvInfo.dat"}));
    ASSERT_TRUE(store().save(m_list)); // the copy is made first
    expectRescued(bytes);
    EXPECT_EQ(readFile(m_file).size(), ReservationRecord::kSize);
}
