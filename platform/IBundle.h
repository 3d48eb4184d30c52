// Where the application bundle lies. The reservation file and the companion are found in
// the folder that holds the bundle.
#pragma once

#include <string>

class IBundleLocation {
public:
    virtual ~IBundleLocation() = default;
    // The folder that holds the bundle, without a trailing slash.
    virtual std::string homeDirectory() = 0;
};

inline constexpr char const* kReservationFileName = ".ResvInfo.dat";
// The recording history, beside the reservation file.
inline constexpr char const* kJournalFileName = ".ResvHistory.db";
inline constexpr char const* kCompanionBundleName = "Velto.app";
inline constexpr char const* kCompanionLaunchName = "Velto";
