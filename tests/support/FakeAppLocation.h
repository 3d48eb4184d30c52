// A bundle folder of its own in a fresh temporary directory, removed with the object.
#pragma once

#include "platform/IAppLocation.h"

#include <string>

class FakeAppLocation : public IAppLocation {
public:
    FakeAppLocation();
    ~FakeAppLocation() override;
    FakeAppLocation(FakeAppLocation const&) = delete;
    FakeAppLocation& operator=(FakeAppLocation const&) = delete;

    std::string dataFolder() override { return m_dir; }

private:
    std::string m_dir;
};
