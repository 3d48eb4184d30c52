// Where the reservation file and the companion are looked for.
//
//  - Run from a bundle (the executable's folder is named "*.app", e.g. the build tree's
//    bundle/ResvMan.app): the folder that holds the bundle, so a copied bundle uses the
//    reservation file beside its new place. That folder is used only when it is the user's
//    own and nobody else may change it (nor the way to the reservation file, should that be
//    a symbolic link): a bundle copied into /tmp or a shared folder must not load, run or
//    write what another user put there.
//  - Installed (any other folder), or when the bundle's folder is passed over: the per-user
//    folder $XDG_DATA_HOME/resvman, i.e. ~/.local/share/resvman by default, created (0700)
//    on first use and checked the same way.
#pragma once

#include "platform/IAppLocation.h"
#include "posix/Trust.h"

#include <string>

class AppLocation : public IAppLocation {
public:
    struct Choice {
        std::string folder;        // where to keep the reservations; empty when nowhere is safe
        std::string bundleFolder;  // the folder that holds the bundle; empty when installed
        trust::Verdict passedOver; // why bundleFolder is not used (ok when it is, or none)
        trust::Verdict unusable;   // why the per-user folder cannot be used either
    };

    // From the running executable's folder and the environment, for this process's user.
    AppLocation();
    explicit AppLocation(std::string dataFolder) { m_choice.folder = std::move(dataFolder); }

    std::string dataFolder() override { return m_choice.folder; }
    Choice const& choice() const { return m_choice; }

    // The rule above. executableDir without a trailing slash; xdgDataHome and home as the
    // environment gives them (empty when unset). Creates the per-user folder when it is
    // needed and missing.
    static Choice choose(std::string const& executableDir, std::string const& xdgDataHome,
                         std::string const& home, trust::Policy policy);

    // The folder that holds the bundle, or "" when executableDir is no bundle.
    static std::string bundleFolderOf(std::string const& executableDir);
    static std::string perUserFolder(std::string const& xdgDataHome, std::string const& home);

    // One line for standard error when the bundle's folder was passed over or nothing is
    // usable; "" otherwise.
    static std::string report(Choice const& choice);

private:
    Choice m_choice;
};
