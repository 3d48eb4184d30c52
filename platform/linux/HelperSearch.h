// Where the program finds the privileged schedule tool and its broker. The broker runs as
// root, so only a root-owned installation counts: both files root's, in folders only root
// may change (trust::kRootOnly). Looked for, in this order:
//
//  - the folder this program was configured to install them to (<prefix>/libexec/resvman,
//    as `cmake --install` puts them);
//  - /usr/libexec/resvman, the Debian package's;
//  - /usr/local/libexec/resvman, where the settings dialog's one-time "Install the wake-up
//    helper" puts them for a bundle.
//
// A program that itself runs as root also takes the pair beside it, when only root may
// change it. A bundle's own copies are never run through pkexec: they are the user's to
// change, and so are whoever runs as the user.
#pragma once

#include "posix/Trust.h"

#include <string>
#include <vector>

struct HelperSearch {
    static constexpr char const* kPackageFolder = "/usr/libexec/resvman";
    static constexpr char const* kLocalFolder = "/usr/local/libexec/resvman";

    std::string tool;                    // the tool to run; empty when there is none
    std::vector<trust::Verdict> refused; // installations that are there but not root's alone

    // The installations' folders above, in order, without repeats.
    static std::vector<std::string> folders();
    // The first of folders whose tool and broker pass the checks.
    static HelperSearch inFolders(std::vector<std::string> const& folders);
    // The search above: for root, the pair beside this program first (passed over without a
    // word when it is not root's alone: it is no installation), then folders().
    static HelperSearch installed();
};
