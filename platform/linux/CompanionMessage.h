// One message of the companion bus as an observer sees it.
#pragma once

#include "platform/ICompanionBus.h"

#include <optional>
#include <string>

struct CompanionMessage {
    std::string name;
    std::optional<std::string> object; // nullopt: the sender gave no object
    CompanionValues values;
};
