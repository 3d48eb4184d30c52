// Whether the display manager logs a user in by itself after power-on, as far as its
// configuration tells: GDM ([daemon] AutomaticLoginEnable, AutomaticLogin), LightDM
// ([Seat:*] autologin-user) and SDDM ([Autologin] User), in the files each reads, later
// files overriding earlier ones. Which one runs: systemd's display-manager.service link, or
// Debian's /etc/X11/default-display-manager. The files are only read as text; none is run.
// Plain C++.
#pragma once

#include "platform/WakeFacts.h"

#include <string>

class DisplayManagerLogin {
public:
    // root: the folder that stands for / (tests lay one out); user: whose login counts.
    static AutoLogin read(std::string const& root, std::string const& user);
};
