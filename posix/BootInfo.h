// Which boot of the computer this is, and when it began: the history tells a start of the
// program after a boot from a later one in the same boot.
#pragma once

#include <string>

// The kernel's identifier of the current boot; "" when not available.
std::string currentBootId();
// When the current boot began, in seconds since 1970 UTC; 0 when not known.
double currentBootTime();
