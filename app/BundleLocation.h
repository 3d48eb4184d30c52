// Where the program's bundle lies, and so where the reservation file and the companion are
// looked for.
//
//  - Run from a bundle (the executable's folder is named "*.app", e.g. the build tree's
//    bundle/ResvMan.app): the folder that holds the bundle. A copied bundle therefore uses
//    the reservation file beside its new place.
//  - Installed (any other folder): $XDG_DATA_HOME/resvman, i.e. ~/.local/share/resvman by
//    default, created on first use; "Velto.app" is looked for there too.
#pragma once

#include "platform/IBundle.h"

#include <string>

class BundleLocation : public IBundleLocation {
public:
    // From the running executable's folder and the environment.
    BundleLocation();
    explicit BundleLocation(std::string homeDirectory) : m_home(std::move(homeDirectory)) {}

    std::string homeDirectory() override { return m_home; }

    // The rule above. executableDir without a trailing slash; xdgDataHome and home as the
    // environment gives them (empty when unset).
    static std::string HomeFor(std::string const& executableDir, std::string const& xdgDataHome,
                               std::string const& home);

private:
    std::string m_home;
};
