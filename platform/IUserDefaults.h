// The application's user defaults. Every reader asks objectForKey first and reads the value
// only when the key is present. Safe to use from any thread.
#pragma once

#include <string>

class IUserDefaults {
public:
    virtual ~IUserDefaults() = default;
    virtual bool objectForKey(std::string const& key) = 0;   // present?
    virtual long integerForKey(std::string const& key) = 0;  // 0 when absent or not a number
    virtual bool boolForKey(std::string const& key) = 0;     // present and not zero
    virtual void setInteger(std::string const& key, long value) = 0;
};

// The keys, as stored.
inline constexpr char const* kDefaultsSuspendFlag = "SUSPENDFLAG";
inline constexpr char const* kDefaultsUseAcpi = "USEACPI";
inline constexpr char const* kDefaultsRestoreTime = "RESTORETIME";
inline constexpr char const* kDefaultsShutdown = "SHUTDOWN";
inline constexpr char const* kDefaultsExitAfterRecord = "EXITAFTERRECORD";
