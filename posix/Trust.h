// Whether a folder or file may be used: whether anyone but its rightful owners could have
// put it where it is, or could change it. The reservation folder, the companion, the
// reservation file and the root helper are all used only after these checks.
//
// A path is walked the way the kernel walks it, symbolic links included. Every folder a
// name is looked up in must belong to root or to the user and be writable by no one else;
// otherwise someone else could swap what the name refers to. A folder owned by root with
// the sticky bit (/tmp) is the one exception: there nobody may rename or remove what
// belongs to someone else, so an entry owned by root or the user is still theirs.
//
// Writable by no one else: no write bit for others, and no group write bit unless the group
// is the user's private group (same name, no other member, no other account's primary group,
// no access control list), as user-private-group systems with a umask of 002 create. Root's
// files get no such exception.
//
// Plain C++ without Qt, so that the privileged programs and the sanitizer builds use it.
#pragma once

#include "posix/SafeFile.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace trust {

enum class Owners {
    UserOrRoot, // the user's own files: reservation folder, companion
    RootOnly,   // what runs as root: root's alone
};

struct Policy {
    uid_t user = 0; // whose files are trusted besides root's (normally getuid())
    Owners owners = Owners::UserOrRoot;
};

// The checks the program itself makes for this process's user.
Policy forThisUser();
inline constexpr Policy kRootOnly{0, Owners::RootOnly};

enum class Problem {
    None,
    NotAbsolute,
    Missing, // absent, or cannot be looked at
    NotFolder,
    NotRegularFile,
    NotExecutable,
    OwnedByOther,    // belongs to someone other than the user or root
    WritableByOther, // someone else may change it (or, for a folder, what it holds)
    TooManyLinks,
};

struct Verdict {
    Problem problem = Problem::None;
    std::string where;    // the file or folder at fault
    std::string resolved; // the path with every symbolic link resolved (once walked)

    bool ok() const { return problem == Problem::None; }
    // "/tmp: other users can change it", for standard error.
    std::string describe() const;
};

// A folder to keep files in. ownedByUser: it must be the user's own (a folder of root's is
// not enough), as the folder the program writes its reservations to must be.
Verdict checkFolder(std::string const& path, Policy policy, bool ownedByUser);

// A regular file to read or run, owned by the user or root (root alone under RootOnly) and
// writable by no one else; executable: some execute bit set.
Verdict checkFile(std::string const& path, Policy policy, bool executable);

// Only the way to path: every folder on it, and every symbolic link, is trusted. The object
// itself may be absent; if it exists, nothing is said about it.
Verdict checkWay(std::string const& path, Policy policy);

// What the private-group rule looks at, as the account databases give it.
struct GroupFacts {
    std::string userName;              // the user's account name
    gid_t userGroup = 0;               // the user's primary group
    std::string groupName;             // the group's name
    std::vector<std::string> members;  // the group's listed members
    std::vector<uid_t> primaryMembers; // accounts whose primary group it is
};
// Whether gid is the private group of user: named after the user, the user's primary group,
// and nobody else's, whether listed as a member or by primary group.
bool isPrivateGroup(GroupFacts const& facts, uid_t user, gid_t gid);

// Opens path for reading without waiting: a FIFO or device put in a file's place would block
// an ordinary open. Keeps the descriptor only when it is a regular file; otherwise -1 with
// errno ENXIO, or the open's own error. extraFlags: e.g. O_NOFOLLOW. (The store's own
// function, which the reservation file's load uses too.)
inline int openRegularFile(std::string const& path, int extraFlags = 0) {
    return openRegularForReading(path, extraFlags);
}

} // namespace trust
