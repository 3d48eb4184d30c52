// A bundle folder of its own in a fresh temporary directory, removed with the object.
#pragma once

#include "platform/IBundle.h"

#include <string>

class FakeBundle : public IBundleLocation {
public:
    FakeBundle();
    ~FakeBundle() override;
    FakeBundle(FakeBundle const&) = delete;
    FakeBundle& operator=(FakeBundle const&) = delete;

    std::string homeDirectory() override { return m_dir; }

private:
    std::string m_dir;
};
