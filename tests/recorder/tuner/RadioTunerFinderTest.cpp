// Finding tuners and their sound cards in a laid-out /dev and sysfs.
#include "recorder/sources/tuner/RadioTunerFinder.h"
#include "tests/recorder/tuner/FakeRadioDevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace velto {
namespace {

namespace fs = std::filesystem;

// Hands each path its own recorded tuner, as the real nodes would answer.
class RadioShelf : public RadioDevice {
public:
    explicit RadioShelf(const std::map<std::string, std::shared_ptr<RecordedRadio>>& radios)
        : m_radios(radios) {}
    int open(const std::string& path) override {
        auto it = m_radios.find(path);
        if (it == m_radios.end()) {
            return ENOENT;
        }
        m_current = std::make_unique<FakeRadioDevice>(it->second);
        return m_current->open(path);
    }
    void close() override {
        if (m_current) {
            m_current->close();
        }
    }
    int ioctl(unsigned long request, void* argument) override {
        return m_current ? m_current->ioctl(request, argument) : EBADF;
    }

private:
    const std::map<std::string, std::shared_ptr<RecordedRadio>>& m_radios;
    std::unique_ptr<FakeRadioDevice> m_current;
};

class RadioTunerFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::path(::testing::TempDir()) / "tuner-finder";
        fs::remove_all(m_root);
        const std::string hub = "devices/pci0000:00/0000:00:14.0/usb1";
        // An Si470x stick: radio on interface 2, its sound card on interface 0.
        usbDevice(hub + "/1-2");
        radioNode(0, hub + "/1-2/1-2:1.2");
        soundCard(1, hub + "/1-2/1-2:1.0", "Radio", {"pcmC1D0c", "pcmC1D0p"});
        // The machine's own card, which must never be taken for a tuner's.
        soundCard(0, "devices/pci0000:00/0000:00:1f.3", "PCH", {"pcmC0D0c", "pcmC0D0p"});
        // A receiver whose card only plays.
        usbDevice(hub + "/1-3");
        radioNode(1, hub + "/1-3/1-3:1.0");
        soundCard(2, hub + "/1-3/1-3:1.1", "Speaker", {"pcmC2D0p"});
        // A stick nobody may open, whose card's id is a FIFO that would block a reader.
        usbDevice(hub + "/1-4");
        radioNode(2, hub + "/1-4/1-4:1.2");
        soundCard(3, hub + "/1-4/1-4:1.0", "", {"pcmC3D1c", "pcmC3D2c"});
        fs::remove(m_root / "sys" / hub / "1-4/1-4:1.0/sound/card3/id");
        ASSERT_EQ(mkfifo((m_root / "sys" / hub / "1-4/1-4:1.0/sound/card3/id").c_str(), 0600), 0);
        // An old PCI radio card: no USB device to share.
        radioNode(3, "devices/pci0000:00/0000:00:1e.0");
        // Things that are not tuners, and a link that loops.
        touch("dev/video0");
        touch("dev/radio4");
        touch("dev/radioX");
        fs::create_directory_symlink("radio0", m_root / "dev/radio");
        fs::create_directories(m_root / "dev/v4l/by-id");
        fs::create_symlink("../../radio0", m_root / "dev/v4l/by-id/usb-Silicon_Labs-radio");
        fs::create_symlink("card9", m_root / "sys/class/sound/card9");

        m_radios[path("radio0")] = si470xStick();
        m_radios[path("radio1")] = raremonoRadio();
        m_radios[path("radio2")] = si470xStick();
        m_radios[path("radio2")]->failures["open"] = EACCES;
        m_radios[path("radio3")] = ma901Stick();
        m_radios[path("radio4")] = si470xStick();
        m_radios[path("radio4")]->capability.device_caps = V4L2_CAP_VIDEO_CAPTURE;
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string path(const std::string& node) const { return (m_root / "dev" / node).string(); }
    RadioTunerFinder finder() const {
        return RadioTunerFinder({m_root / "dev", m_root / "sys"},
                                [this] { return std::make_unique<RadioShelf>(m_radios); });
    }

private:
    void touch(const fs::path& relative, const std::string& text = {}) {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative) << text;
    }
    void usbDevice(const std::string& dir) {
        touch("sys/" + dir + "/idVendor", "10c4\n");
        touch("sys/" + dir + "/idProduct", "818a\n");
    }
    void radioNode(int n, const std::string& parent) {
        const std::string name = "radio" + std::to_string(n);
        touch("sys/" + parent + "/video4linux/" + name + "/name", name + "\n");
        link("sys/class/video4linux/" + name, parent + "/video4linux/" + name);
        touch("dev/" + name);
    }
    void soundCard(int n, const std::string& parent, const std::string& id,
                   const std::vector<std::string>& pcms) {
        const std::string card = parent + "/sound/card" + std::to_string(n);
        touch("sys/" + card + "/id", id + "\n");
        for (const std::string& pcm : pcms) {
            fs::create_directories(m_root / "sys" / card / pcm);
        }
        link("sys/class/sound/card" + std::to_string(n), card);
    }
    // Relative, as sysfs's class links are: "../../devices/…".
    void link(const std::string& from, const std::string& deviceDir) {
        fs::create_directories((m_root / from).parent_path());
        fs::create_directory_symlink("../../" + deviceDir, m_root / from);
    }

    fs::path m_root;
    std::map<std::string, std::shared_ptr<RecordedRadio>> m_radios;
};

TEST_F(RadioTunerFinderTest, ListsEachTunerWithItsBandsAndSoundCard) {
    std::vector<std::string> listed;
    for (const FoundRadioTuner& t : finder().list()) {
        std::string bands;
        for (const RadioBand& b : t.bands) {
            bands += b.name + " ";
        }
        listed.push_back(fs::path(t.path).filename().string() + " | " + t.name + " | " + bands +
                         "| " + t.soundDevice + " | " + (t.problem ? t.problem->key : "") + " | " +
                         t.spec.substr(t.spec.find("?") == std::string::npos ? t.spec.size()
                                                                             : t.spec.find("?")));
    }
    EXPECT_EQ(listed,
              (std::vector<std::string>{
                  "radio0 | Silicon Labs Si470x FM Radio | FM FM FM | hw:CARD=Radio,DEV=0 |  | "
                  "?alsa=hw:CARD=Radio,DEV=0",
                  "radio1 | Thanko's Raremono | FM AM SW |  | no-sound-card | ",
                  "radio2 |  | | hw:3,1 | permission-denied | ?alsa=hw:3,1",
                  "radio3 | Masterkit MA901 USB FM Radio | FM |  | no-sound-card | ",
              }));
}

TEST_F(RadioTunerFinderTest, SoundCardIsTheOneOnTheSameUsbDevice) {
    struct Case {
        std::string node;
        const char* sound; // null: none, with the reason
    };
    const Case cases[] = {
        {"radio0", "hw:CARD=Radio,DEV=0"},
        {"v4l/by-id/usb-Silicon_Labs-radio", "hw:CARD=Radio,DEV=0"}, // a udev link
        {"radio1", nullptr},                                         // its card only plays
        {"radio3", nullptr},                                         // not on USB
        {"radio9", nullptr},                                         // unknown to sysfs
        {"video0", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        SourceError error;
        std::optional<std::string> sound = finder().soundDeviceFor(path(c.node), error);
        if (c.sound) {
            EXPECT_EQ(sound, c.sound) << error.text;
        } else {
            EXPECT_FALSE(sound) << *sound;
            EXPECT_EQ(error.key, "no-sound-card");
            EXPECT_NE(error.text.find("alsa="), std::string::npos) << error.text;
        }
    }
}

} // namespace
} // namespace velto
