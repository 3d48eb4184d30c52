// Where the program keeps its files: the folder that holds the bundle (or, installed, the
// per-user folder). The reservation file, the history and the companion are found there.
#pragma once

#include <string>

class IAppLocation {
public:
    virtual ~IAppLocation() = default;
    // The folder, without a trailing slash.
    virtual std::string dataFolder() = 0;
};
