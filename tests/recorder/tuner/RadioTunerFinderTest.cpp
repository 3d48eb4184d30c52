// Finding tuners and their sound cards in a laid-out /dev and sysfs.
#include "sources/tuner/RadioTunerFinder.h"
#include "TunerFakes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace velto {
namespace {

namespace fs = std::filesystem;

class RadioTunerFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(m_root);
        const std::string hub = "devices/pci0000:00/0000:00:14.0/usb1/";
        // An Si470x stick: the radio on interface 2, its sound card on interface 0.
        tuner(0, hub + "1-2", "1-2:1.2", si470xStick());
        soundCard(1, hub + "1-2/1-2:1.0", {"pcmC1D0c", "pcmC1D0p"});
        // The machine's own card, never to be taken for a tuner's.
        soundCard(0, "devices/pci0000:00/0000:00:1f.3", {"pcmC0D0c"});
        // A receiver whose card only plays.
        tuner(1, hub + "1-3", "1-3:1.0", raremonoRadio());
        soundCard(2, hub + "1-3/1-3:1.1", {"pcmC2D0p"});
        // A stick nobody may open, whose card's id is a FIFO that would block a reader.
        tuner(2, hub + "1-4", "1-4:1.2", si470xStick())->failures["open"] = EACCES;
        soundCard(3, hub + "1-4/1-4:1.0", {"pcmC3D1c", "pcmC3D2c"}, nullptr);
        // An old PCI radio card: no USB device to share; a camera; a loop; a udev link.
        tuner(3, "devices/pci0000:00/0000:00:1e.0", "", ma901Stick());
        tuner(4, hub + "1-5", "1-5:1.0", si470xStick())->capability.device_caps =
            V4L2_CAP_VIDEO_CAPTURE;
        std::ofstream(m_root / "dev/video0") << "";
        fs::create_symlink("card9", m_root / "sys/class/sound/card9");
        fs::create_directories(m_root / "dev/v4l/by-id");
        fs::create_symlink("../../radio0", m_root / "dev/v4l/by-id/usb-Silicon_Labs-radio");
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string path(const std::string& node) const { return (m_root / "dev" / node).string(); }
    RadioTunerFinder finder() {
        return RadioTunerFinder({m_root / "dev", m_root / "sys"},
                                [this] { return std::make_unique<FakeRadioDevice>(&m_radios); });
    }

private:
    std::shared_ptr<RecordedRadio> tuner(int n, const std::string& usb, const std::string& iface,
                                         std::shared_ptr<RecordedRadio> radio) {
        const std::string name = "radio" + std::to_string(n);
        if (!iface.empty()) {
            file("sys/" + usb + "/idVendor", "10c4");
            file("sys/" + usb + "/idProduct", "818a");
        }
        const std::string node = usb + (iface.empty() ? "" : "/" + iface) + "/video4linux/" + name;
        fs::create_directories(m_root / "sys" / node);
        link("sys/class/video4linux/" + name, node);
        file("dev/" + name, "");
        return m_radios[path(name)] = radio;
    }
    void soundCard(int n, const std::string& parent, const std::vector<std::string>& pcms,
                   const char* id = "Radio") {
        const std::string card = parent + "/sound/card" + std::to_string(n);
        for (const std::string& pcm : pcms) {
            fs::create_directories(m_root / "sys" / card / pcm);
        }
        if (id) {
            file("sys/" + card + "/id", std::string(id) + "\n");
        } else {
            ASSERT_EQ(mkfifo((m_root / "sys" / card / "id").c_str(), 0600), 0);
        }
        link("sys/class/sound/card" + std::to_string(n), card);
    }
    void file(const std::string& relative, const std::string& text) {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative) << text;
    }
    void link(const std::string& from, const std::string& deviceDir) { // relative, as sysfs's
        fs::create_directories((m_root / from).parent_path());
        fs::create_directory_symlink("../../" + deviceDir, m_root / from);
    }

    // Per process: ctest runs each test as its own process, side by side.
    fs::path m_root = fs::path(::testing::TempDir()) / ("tuner-finder-" + std::to_string(getpid()));
    FakeRadioDevice::Shelf m_radios;
};

TEST_F(RadioTunerFinderTest, ListsEachTunerWithItsBandsAndSoundCard) {
    std::vector<std::string> listed;
    for (const FoundRadioTuner& t : finder().list()) {
        std::string line = t.name + " |";
        for (const RadioBand& b : t.bands) {
            line += " " + b.name;
        }
        listed.push_back(line + " | " + (t.problem ? t.problem->key : "") + " | " + t.address);
    }
    const std::string v4l2 = "v4l2:" + path("");
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "Silicon Labs Si470x FM Radio | FM FM FM |  | " + v4l2 +
                              "radio0?alsa=hw:CARD=Radio,DEV=0",
                          "Thanko's Raremono | FM AM SW | no-sound-card | " + v4l2 + "radio1",
                          " | | permission-denied | " + v4l2 + "radio2?alsa=hw:3,1",
                          "Masterkit MA901 USB FM Radio | FM | no-sound-card | " + v4l2 + "radio3",
                      }));
}

TEST_F(RadioTunerFinderTest, SoundCardIsTheOneOnTheSameUsbDevice) {
    const std::pair<std::string, const char*> cases[] = {
        {"radio0", "hw:CARD=Radio,DEV=0"},
        {"v4l/by-id/usb-Silicon_Labs-radio", "hw:CARD=Radio,DEV=0"},
        {"radio2", "hw:3,1"}, // the card's id could not be read: its number
        {"radio1", nullptr},  // its card only plays
        {"radio3", nullptr},  // not on USB
        {"radio9", nullptr},  // unknown to sysfs
        {"video0", nullptr},
    };
    for (const auto& [node, expected] : cases) {
        SCOPED_TRACE(node);
        SourceError error;
        std::optional<std::string> sound = finder().soundDeviceFor(path(node), error);
        EXPECT_EQ(sound.value_or("none"), expected ? expected : "none") << error.text;
        EXPECT_EQ(error.key, expected ? "" : "no-sound-card");
    }
}

} // namespace
} // namespace velto
