#include "posix/Trust.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <grp.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace trust {
namespace {

// As many symbolic links as the kernel follows in one lookup.
constexpr int kMaxLinks = 40;

std::string join(std::string const& folder, std::string const& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentFolder(std::string const& path) {
    std::size_t const slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

void appendParts(std::string const& path, std::deque<std::string>& parts, bool atFront) {
    std::vector<std::string> found;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > begin) {
            found.push_back(path.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    if (atFront) {
        parts.insert(parts.begin(), found.begin(), found.end());
    } else {
        parts.insert(parts.end(), found.begin(), found.end());
    }
}

bool hasAccessList(std::string const& path) {
    return ::lgetxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
}

// The account databases' facts about gid and the user; nothing when the user is unknown.
std::optional<GroupFacts> gatherGroupFacts(gid_t gid, uid_t uid) {
    long const suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd user{};
    passwd* foundUser = nullptr;
    if (::getpwuid_r(uid, &user, buffer.data(), buffer.size(), &foundUser) != 0 ||
        foundUser == nullptr || user.pw_name == nullptr) {
        return std::nullopt;
    }
    GroupFacts facts;
    facts.userName = user.pw_name;
    facts.userGroup = user.pw_gid;
    std::vector<char> groupBuffer(1 << 16);
    group entry{};
    group* foundGroup = nullptr;
    if (::getgrgid_r(gid, &entry, groupBuffer.data(), groupBuffer.size(), &foundGroup) != 0 ||
        foundGroup == nullptr || entry.gr_name == nullptr) {
        return std::nullopt;
    }
    facts.groupName = entry.gr_name;
    for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
        facts.members.emplace_back(*member);
    }
    // Accounts are walked one at a time through a position the C library keeps for the
    // whole process: one walk at a time.
    static std::mutex walking;
    std::lock_guard const lock(walking);
    ::setpwent();
    passwd account{};
    passwd* next = nullptr;
    while (::getpwent_r(&account, buffer.data(), buffer.size(), &next) == 0 && next != nullptr) {
        if (account.pw_gid == gid) {
            facts.primaryMembers.push_back(account.pw_uid);
        }
    }
    ::endpwent();
    return facts;
}

bool isSystemsPrivateGroup(gid_t gid, uid_t uid) {
    std::optional<GroupFacts> const facts = gatherGroupFacts(gid, uid);
    return facts && isPrivateGroup(*facts, uid, gid);
}

class Walker {
public:
    explicit Walker(Policy policy) : m_policy(policy) {}

    bool ownerTrusted(struct stat const& st) const {
        return st.st_uid == 0 ||
               (m_policy.owners == Owners::UserOrRoot && st.st_uid == m_policy.user);
    }

    bool othersMayWrite(struct stat const& st, std::string const& path) const {
        if ((st.st_mode & S_IWOTH) != 0) {
            return true;
        }
        if ((st.st_mode & S_IWGRP) == 0) {
            return false;
        }
        return m_policy.owners == Owners::RootOnly || st.st_uid != m_policy.user ||
               hasAccessList(path) || !isSystemsPrivateGroup(st.st_gid, m_policy.user);
    }

    // Whether folder (with its status dir) may be trusted to keep entry as it is; entry is
    // null when the name is absent.
    Problem lookupProblem(std::string const& folder, struct stat const& dir,
                          struct stat const* entry) const {
        if (!ownerTrusted(dir)) {
            return Problem::OwnedByOther;
        }
        if (!othersMayWrite(dir, folder)) {
            return Problem::None;
        }
        bool const rootSticky = dir.st_uid == 0 && (dir.st_mode & S_ISVTX) != 0;
        return rootSticky && entry != nullptr && ownerTrusted(*entry) ? Problem::None
                                                                      : Problem::WritableByOther;
    }

    // Walks path; *object is the status of what it names, *exists whether it is there.
    Verdict walk(std::string const& path, bool mayBeMissing, struct stat* object,
                 bool* exists) const {
        Verdict verdict;
        verdict.where = path;
        if (path.empty() || path[0] != '/') {
            verdict.problem = Problem::NotAbsolute;
            return verdict;
        }
        std::deque<std::string> parts;
        appendParts(path, parts, false);
        std::string current = "/";
        struct stat currentStat {};
        if (::lstat("/", &currentStat) != 0) {
            verdict.problem = Problem::Missing;
            return verdict;
        }
        int links = 0;
        while (!parts.empty()) {
            std::string const name = parts.front();
            parts.pop_front();
            if (name == ".") {
                continue;
            }
            if (name == "..") {
                // current holds no links, so its parent is the folder passed before it.
                current = parentFolder(current);
                if (::lstat(current.c_str(), &currentStat) != 0) {
                    return fail(verdict, Problem::Missing, current);
                }
                continue;
            }
            std::string const next = join(current, name);
            struct stat st {};
            if (::lstat(next.c_str(), &st) != 0) {
                if (errno == ENOENT && parts.empty() && mayBeMissing) {
                    Problem const problem = lookupProblem(current, currentStat, nullptr);
                    if (problem != Problem::None) {
                        return fail(verdict, problem, current);
                    }
                    verdict.resolved = next;
                    *exists = false;
                    return verdict;
                }
                return fail(verdict, Problem::Missing, next);
            }
            Problem const problem = lookupProblem(current, currentStat, &st);
            if (problem != Problem::None) {
                return fail(verdict, problem, current);
            }
            if (S_ISLNK(st.st_mode)) {
                if (++links > kMaxLinks) {
                    return fail(verdict, Problem::TooManyLinks, next);
                }
                std::vector<char> target(static_cast<std::size_t>(PATH_MAX) + 1);
                ssize_t const n = ::readlink(next.c_str(), target.data(), target.size());
                if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
                    return fail(verdict, Problem::Missing, next);
                }
                std::string const text(target.data(), static_cast<std::size_t>(n));
                if (text[0] == '/') {
                    current.assign(1, '/'); // not = "/": GCC 12 warns wrongly (-Wrestrict)
                    if (::lstat("/", &currentStat) != 0) {
                        return fail(verdict, Problem::Missing, current);
                    }
                }
                appendParts(text, parts, true);
                continue;
            }
            if (!parts.empty() && !S_ISDIR(st.st_mode)) {
                return fail(verdict, Problem::NotFolder, next);
            }
            current = next;
            currentStat = st;
        }
        verdict.resolved = current;
        *object = currentStat;
        *exists = true;
        return verdict;
    }

    static Verdict fail(Verdict verdict, Problem problem, std::string const& where) {
        verdict.problem = problem;
        verdict.where = where;
        return verdict;
    }

private:
    Policy m_policy;
};

} // namespace

bool isPrivateGroup(GroupFacts const& facts, uid_t user, gid_t gid) {
    if (facts.userGroup != gid || facts.groupName != facts.userName) {
        return false;
    }
    for (std::string const& member : facts.members) {
        if (member != facts.userName) {
            return false;
        }
    }
    for (uid_t const account : facts.primaryMembers) {
        if (account != user) {
            return false;
        }
    }
    return true;
}

Policy forThisUser() {
    return Policy{::getuid(), Owners::UserOrRoot};
}

std::string Verdict::describe() const {
    char const* what = "";
    switch (problem) {
    case Problem::None:
        what = "may be used";
        break;
    case Problem::NotAbsolute:
        what = "is not an absolute path";
        break;
    case Problem::Missing:
        what = "cannot be found";
        break;
    case Problem::NotFolder:
        what = "is not a folder";
        break;
    case Problem::NotRegularFile:
        what = "is not a regular file";
        break;
    case Problem::NotExecutable:
        what = "is not executable";
        break;
    case Problem::OwnedByOther:
        what = "belongs to another user";
        break;
    case Problem::WritableByOther:
        what = "other users can change it";
        break;
    case Problem::TooManyLinks:
        what = "has too many symbolic links";
        break;
    }
    return where + ": " + what;
}

Verdict checkFolder(std::string const& path, Policy policy, bool ownedByUser) {
    Walker const walker(policy);
    struct stat st {};
    bool exists = false;
    Verdict verdict = walker.walk(path, false, &st, &exists);
    if (!verdict.ok()) {
        return verdict;
    }
    verdict.where = verdict.resolved;
    if (!S_ISDIR(st.st_mode)) {
        verdict.problem = Problem::NotFolder;
    } else if (ownedByUser ? st.st_uid != policy.user : !walker.ownerTrusted(st)) {
        verdict.problem = Problem::OwnedByOther;
    } else if (walker.othersMayWrite(st, verdict.resolved)) {
        verdict.problem = Problem::WritableByOther;
    }
    return verdict;
}

Verdict checkFile(std::string const& path, Policy policy, bool executable) {
    Walker const walker(policy);
    struct stat st {};
    bool exists = false;
    Verdict verdict = walker.walk(path, false, &st, &exists);
    if (!verdict.ok()) {
        return verdict;
    }
    verdict.where = verdict.resolved;
    if (!S_ISREG(st.st_mode)) {
        verdict.problem = Problem::NotRegularFile;
    } else if (!walker.ownerTrusted(st)) {
        verdict.problem = Problem::OwnedByOther;
    } else if (walker.othersMayWrite(st, verdict.resolved)) {
        verdict.problem = Problem::WritableByOther;
    } else if (executable && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) {
        verdict.problem = Problem::NotExecutable;
    }
    return verdict;
}

Verdict checkWay(std::string const& path, Policy policy) {
    struct stat st {};
    bool exists = false;
    return Walker(policy).walk(path, true, &st, &exists);
}

} // namespace trust
