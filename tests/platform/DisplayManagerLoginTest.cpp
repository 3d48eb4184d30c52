// The display manager's automatic login, read from folders laid out as each manager's files.
#include "platform/linux/DisplayManagerLogin.h"

#include "tests/support/ScratchFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using State = AutoLogin::State;
using Manager = AutoLogin::Manager;

TEST(DisplayManagerLogin, EachManagersSettingIsRead) {
    struct Case {
        char const* name;
        char const* service; // what display-manager.service links to ("" : Debian's file)
        std::vector<std::pair<char const*, char const*>> files;
        Manager manager;
        State state;
    };
    Case const cases[] = {
        {"GDM on",
         "/lib/systemd/system/gdm3.service",
         {{"/etc/gdm3/daemon.conf", "[daemon]\nAutomaticLoginEnable = true\nAutomaticLogin = "
                                    "alice\n"}},
         Manager::Gdm,
         State::On},
        {"GDM for another user",
         "/lib/systemd/system/gdm.service",
         {{"/etc/gdm/custom.conf", "[daemon]\nAutomaticLoginEnable=True\nAutomaticLogin=bob\n"}},
         Manager::Gdm,
         State::OtherUser},
        {"GDM named but not enabled",
         "/lib/systemd/system/gdm3.service",
         {{"/etc/gdm3/daemon.conf", "[daemon]\n#AutomaticLoginEnable=true\nAutomaticLogin=alice\n"
                                    "[security]\nAutomaticLoginEnable=true\n"}},
         Manager::Gdm,
         State::Off},
        {"GDM switched off",
         "/lib/systemd/system/gdm3.service",
         {{"/etc/gdm3/daemon.conf",
           "[daemon]\nAutomaticLoginEnable=false\nAutomaticLogin=alice\n"}},
         Manager::Gdm,
         State::Off},
        {"LightDM, a drop-in",
         "",
         {{"/etc/X11/default-display-manager", "/usr/sbin/lightdm\n"},
          {"/etc/lightdm/lightdm.conf.d/50-auto.conf", "[Seat:*]\nautologin-user=alice\n"}},
         Manager::LightDm,
         State::On},
        {"LightDM, the old section",
         "/lib/systemd/system/lightdm.service",
         {{"/etc/lightdm/lightdm.conf", "[SeatDefaults]\nautologin-user=alice\n"}},
         Manager::LightDm,
         State::On},
        {"LightDM, the main file clears the drop-in",
         "/lib/systemd/system/lightdm.service",
         {{"/etc/lightdm/lightdm.conf.d/50-auto.conf", "[Seat:*]\nautologin-user=alice\n"},
          {"/etc/lightdm/lightdm.conf", "[Seat:*]\nautologin-user=\n"}},
         Manager::LightDm,
         State::Off},
        {"SDDM on",
         "/lib/systemd/system/sddm.service",
         {{"/etc/sddm.conf.d/autologin.conf", "[Autologin]\nUser=alice\nSession=plasma\n"}},
         Manager::Sddm,
         State::On},
        {"SDDM without files", "/lib/systemd/system/sddm.service", {}, Manager::Sddm, State::Off},
        {"another manager",
         "/lib/systemd/system/xdm.service",
         {},
         Manager::Unknown,
         State::Unknown},
        {"none found", "", {}, Manager::Unknown, State::Unknown},
    };
    for (Case const& c : cases) {
        std::string const root = makeScratchFolder();
        std::filesystem::create_directories(root + "/etc/systemd/system");
        if (*c.service != '\0') {
            std::filesystem::create_symlink(c.service,
                                            root + "/etc/systemd/system/display-manager.service");
        }
        for (auto const& [path, text] : c.files) {
            std::filesystem::create_directories(std::filesystem::path(root + path).parent_path());
            writeFile(root + path, text);
        }
        AutoLogin const login = DisplayManagerLogin::read(root, "alice");
        EXPECT_EQ(login.manager, c.manager) << c.name;
        EXPECT_EQ(login.state, c.state) << c.name;
        std::filesystem::remove_all(root);
    }
}

} // namespace
