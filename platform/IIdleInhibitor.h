// Keeping the computer from going to sleep by itself while a recording is near. Only idle
// sleep is held off: a sleep or shut-down the user asks for is never held up.
#pragma once

class IIdleInhibitor {
public:
    virtual ~IIdleInhibitor() = default;
    // Holds (true) or lets go of (false) the inhibition; the same again does nothing.
    virtual void setInhibited(bool inhibited) = 0;
};
