// The trust checks, on folders and files made with other owners. Owners other than root
// need root to make; the cases that need them are skipped otherwise.
#include "posix/Trust.h"
#include "tests/support/ScratchFiles.h"

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr uid_t kUser = 50000;  // the user the checks are made for
constexpr uid_t kOther = 50001; // someone else on the machine

struct Place {
    std::string root; // root-owned, 0755

    std::string makeFolder(std::string const& name, mode_t mode, uid_t owner) const {
        std::string const path = root + "/" + name;
        mkdir(path.c_str(), 0700);
        chown(path.c_str(), owner, owner);
        chmod(path.c_str(), mode);
        return path;
    }
    std::string makeFile(std::string const& name, mode_t mode, uid_t owner) const {
        std::string const path = root + "/" + name;
        writeFile(path, "#!/bin/sh\n");
        chown(path.c_str(), owner, owner);
        chmod(path.c_str(), mode);
        return path;
    }
    std::string makeLink(std::string const& name, std::string const& target) const {
        std::string const path = root + "/" + name;
        symlink(target.c_str(), path.c_str());
        return path;
    }
};

// A POSIX access list on path: the mode's own entries, and write for one more user.
bool grantWrite(std::string const& path, uid_t other) {
    struct Entry {
        uint16_t tag;
        uint16_t perm;
        uint32_t id;
    };
    uint32_t const header = 2; // the format's version
    Entry const entries[] = {
        {0x01, 7, ~0u}, {0x02, 7, other}, {0x04, 5, ~0u}, {0x10, 7, ~0u}, {0x20, 5, ~0u}};
    std::string value(reinterpret_cast<char const*>(&header), sizeof header);
    value.append(reinterpret_cast<char const*>(entries), sizeof entries);
    return setxattr(path.c_str(), "system.posix_acl_access", value.data(), value.size(), 0) == 0;
}

using trust::Problem;

} // namespace

TEST(Trust, FoldersAndFilesOfOthersAreRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files to other users";
    }
    struct Case {
        char const* what;
        // Makes the place; answers the verdict to check.
        std::function<trust::Verdict(Place const&)> check;
        Problem expected;
        char const* at; // where the problem lies, relative to the place ("" when none)
    };
    trust::Policy const user{kUser, trust::Owners::UserOrRoot};
    auto folder = [user](std::string const& path) { return trust::checkFolder(path, user, true); };
    auto run = [user](std::string const& path) { return trust::checkFile(path, user, true); };
    std::vector<Case> const cases = {
        {"the user's own folder",
         [&](Place const& p) { return folder(p.makeFolder("mine", 0755, kUser)); }, Problem::None,
         ""},
        {"a folder everyone may write",
         [&](Place const& p) { return folder(p.makeFolder("shared", 0777, kUser)); },
         Problem::WritableByOther, "shared"},
        {"a folder the group may write",
         [&](Place const& p) { return folder(p.makeFolder("group", 0775, kUser)); },
         Problem::WritableByOther, "group"},
        {"another user's folder",
         [&](Place const& p) { return folder(p.makeFolder("theirs", 0700, kOther)); },
         Problem::OwnedByOther, "theirs"},
        {"root's folder, where the user's own is needed",
         [&](Place const& p) { return folder(p.makeFolder("roots", 0755, 0)); },
         Problem::OwnedByOther, "roots"},
        {"the user's folder in a sticky folder of root's (/tmp)",
         [&](Place const& p) {
             p.makeFolder("tmp", 01777, 0);
             return folder(p.makeFolder("tmp/mine", 0700, kUser));
         },
         Problem::None, ""},
        {"the user's folder in a folder everyone may write",
         [&](Place const& p) {
             p.makeFolder("open", 0777, 0);
             return folder(p.makeFolder("open/mine", 0700, kUser));
         },
         Problem::WritableByOther, "open"},
        {"the user's folder in a sticky folder of another user's",
         [&](Place const& p) {
             p.makeFolder("theirtmp", 01777, kOther);
             return folder(p.makeFolder("theirtmp/mine", 0700, kUser));
         },
         Problem::OwnedByOther, "theirtmp"},
        {"a link in the user's folder to another of the user's folders",
         [&](Place const& p) {
             p.makeFolder("home", 0755, kUser);
             p.makeFolder("home/real", 0755, kUser);
             return folder(p.makeLink("home/apps", p.root + "/home/real"));
         },
         Problem::None, ""},
        {"a link through a folder everyone may write",
         [&](Place const& p) {
             p.makeFolder("home", 0755, kUser);
             p.makeFolder("home/real", 0755, kUser);
             p.makeFolder("tmp", 01777, 0);
             // The hop is someone else's, so the sticky bit does not keep it as it is.
             lchown(p.makeLink("tmp/hop", p.root + "/home/real").c_str(), kOther, kOther);
             return folder(p.makeLink("home/apps", p.root + "/tmp/hop"));
         },
         Problem::WritableByOther, "tmp"},
        {"a relative link up and into a folder everyone may write",
         [&](Place const& p) {
             p.makeFolder("home", 0755, kUser);
             p.makeFolder("open", 0777, 0);
             p.makeFolder("open/real", 0755, kUser);
             return folder(p.makeLink("home/apps", "../open/real"));
         },
         Problem::WritableByOther, "open"},
        {"a file where a folder should be",
         [&](Place const& p) {
             p.makeFile("AppRun", 0755, kUser);
             return folder(p.root + "/AppRun/inside");
         },
         Problem::NotFolder, "AppRun"},
        {"a missing folder on the way to a missing file",
         [&](Place const& p) {
             return trust::checkWay(p.makeFolder("mine", 0755, kUser) + "/gone/.ResvInfo.dat",
                                    user);
         },
         Problem::Missing, "mine/gone"},
        {"a link that never ends",
         [&](Place const& p) {
             p.makeFolder("home", 0755, kUser);
             p.makeLink("home/a", "b");
             p.makeLink("home/b", "a");
             return folder(p.root + "/home/a");
         },
         Problem::TooManyLinks, "home/a"},
        {"a missing file in the user's folder: the way to it is sound",
         [&](Place const& p) {
             return trust::checkWay(p.makeFolder("mine", 0755, kUser) + "/.ResvInfo.dat", user);
         },
         Problem::None, ""},
        {"a missing file in /tmp: anyone may put one there",
         [&](Place const& p) {
             return trust::checkWay(p.makeFolder("tmp", 01777, 0) + "/.ResvInfo.dat", user);
         },
         Problem::WritableByOther, "tmp"},
        {"the user's program",
         [&](Place const& p) { return run(p.makeFile("AppRun", 0755, kUser)); }, Problem::None, ""},
        {"root's program", [&](Place const& p) { return run(p.makeFile("AppRun", 0755, 0)); },
         Problem::None, ""},
        {"another user's program",
         [&](Place const& p) { return run(p.makeFile("AppRun", 0755, kOther)); },
         Problem::OwnedByOther, "AppRun"},
        {"a program everyone may change",
         [&](Place const& p) { return run(p.makeFile("AppRun", 0777, kUser)); },
         Problem::WritableByOther, "AppRun"},
        {"a file that is not executable",
         [&](Place const& p) { return run(p.makeFile("AppRun", 0644, kUser)); },
         Problem::NotExecutable, "AppRun"},
        {"a FIFO",
         [&](Place const& p) {
             mkfifo((p.root + "/AppRun").c_str(), 0700);
             chown((p.root + "/AppRun").c_str(), kUser, kUser);
             return run(p.root + "/AppRun");
         },
         Problem::NotRegularFile, "AppRun"},
        {"root alone: the user's program does not run as root",
         [&](Place const& p) {
             return trust::checkFile(p.makeFile("broker", 0755, kUser), trust::kRootOnly, true);
         },
         Problem::OwnedByOther, "broker"},
        {"root alone: root's program in root's folder",
         [&](Place const& p) {
             p.makeFolder("libexec", 0755, 0);
             return trust::checkFile(p.makeFile("libexec/broker", 0755, 0), trust::kRootOnly, true);
         },
         Problem::None, ""},
        {"root alone: root's program in a folder its group may write",
         [&](Place const& p) {
             p.makeFolder("libexec", 0775, 0);
             return trust::checkFile(p.makeFile("libexec/broker", 0755, 0), trust::kRootOnly, true);
         },
         Problem::WritableByOther, "libexec"},
        {"root alone: the user's folder above root's program",
         [&](Place const& p) {
             p.makeFolder("bundle", 0755, kUser);
             return trust::checkFile(p.makeFile("bundle/broker", 0755, 0), trust::kRootOnly, true);
         },
         Problem::OwnedByOther, "bundle"},
        {"a relative path", [&](Place const&) { return folder("relative/folder"); },
         Problem::NotAbsolute, nullptr},
    };
    for (Case const& c : cases) {
        Place const place{makeScratchFolder()};
        chmod(place.root.c_str(), 0755);
        trust::Verdict const verdict = c.check(place);
        EXPECT_EQ(verdict.problem, c.expected) << c.what << ": " << verdict.describe();
        if (c.at != nullptr && *c.at != '\0') {
            EXPECT_EQ(verdict.where, place.root + "/" + c.at) << c.what;
        }
        std::filesystem::remove_all(place.root);
    }
}

TEST(Trust, GroupWriteIsAllowedOnlyForTheUsersPrivateGroup) {
    // Root's group "root" has no other member: root's private group on this machine. What
    // runs as root gets no such allowance.
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    Place const place{makeScratchFolder()};
    chmod(place.root.c_str(), 0755);
    std::string const shared = place.makeFolder("shared", 0775, 0);
    trust::Policy const root{0, trust::Owners::UserOrRoot};
    EXPECT_TRUE(trust::checkFolder(shared, root, true).ok());
    // The same mode with an access list that lets someone else write: the group bits are
    // then the list's mask, and another user may change the folder.
    if (!grantWrite(shared, kOther)) {
        GTEST_SKIP() << "this file system keeps no access lists";
    }
    EXPECT_EQ(trust::checkFolder(shared, root, true).problem, Problem::WritableByOther);
    removexattr(shared.c_str(), "system.posix_acl_access");
    chmod(shared.c_str(), 0775);
    ASSERT_TRUE(trust::checkFolder(shared, root, true).ok());
    EXPECT_EQ(trust::checkFolder(shared, trust::kRootOnly, true).problem, Problem::WritableByOther);
    chown(shared.c_str(), 0, kOther); // a group of someone else's
    EXPECT_EQ(trust::checkFolder(shared, root, true).problem, Problem::WritableByOther);
    std::filesystem::remove_all(place.root);
}

TEST(Trust, APrivateGroupIsTheUsersAlone) {
    // kUser "radio", whose primary group 50000 is named "radio".
    struct Case {
        char const* what;
        trust::GroupFacts facts;
        bool isPrivate;
    } const cases[] = {
        {"named after the user, nobody else in it", {"radio", kUser, "radio", {}, {kUser}}, true},
        {"the user listed as its member", {"radio", kUser, "radio", {"radio"}, {kUser}}, true},
        {"another member listed", {"radio", kUser, "radio", {"radio", "guest"}, {kUser}}, false},
        {"another account's primary group too",
         {"radio", kUser, "radio", {}, {kUser, kOther}},
         false},
        {"named otherwise", {"radio", kUser, "audio", {}, {kUser}}, false},
        {"not the user's primary group", {"radio", 100, "radio", {}, {}}, false},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(trust::isPrivateGroup(c.facts, kUser, kUser), c.isPrivate) << c.what;
    }
}

TEST(Trust, OpeningForReadingNeverWaitsAndTakesOnlyRegularFiles) {
    Place const place{makeScratchFolder()};
    std::string const fifo = place.root + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(trust::openRegularFile(fifo), -1); // no writer: an ordinary open would block
    EXPECT_EQ(errno, ENXIO);
    EXPECT_EQ(trust::openRegularFile(place.root), -1);
    EXPECT_EQ(trust::openRegularFile(place.root + "/none"), -1);
    EXPECT_EQ(errno, ENOENT);
    writeFile(place.root + "/file", "x");
    int const fd = trust::openRegularFile(place.root + "/file");
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    close(fd);
    symlink("file", (place.root + "/link").c_str());
    EXPECT_EQ(trust::openRegularFile(place.root + "/link", O_NOFOLLOW), -1);
    std::filesystem::remove_all(place.root);
}
