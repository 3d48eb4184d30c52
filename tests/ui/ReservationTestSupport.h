// Helpers shared by the reservation dialog's tests: a pinned time zone, instants written
// independently of the code under test, preset files written with libplist, and a way to
// act on the dialog while its modal run polls.
#pragma once

#include "WhenShown.h"
#include "store/ChannelPresetTable.h"
#include "store/ReservationList.h"
#include "ui/MessageBox.h"

#include <QDateTime>
#include <QStringList>
#include <QTextDocument>
#include <QTimeZone>
#include <QTimer>
#include <QWidget>

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

inline void pinTimeZone(char const* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

// Seconds since 1970 of a wall-clock time in UTC+9.
inline double jst(int y, int mo, int d, int h, int mi, int s = 0) {
    return static_cast<double>(
        QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone(9 * 3600)).toSecsSinceEpoch());
}

// Seconds since 1970 of a wall-clock time in the process's time zone.
inline double local(int y, int mo, int d, int h, int mi, int s = 0) {
    return static_cast<double>(QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toSecsSinceEpoch());
}

// Seconds since 1970 of a UTC date and time.
inline double utc(int y, int mo, int d, int h, int mi, int s = 0) {
    return static_cast<double>(
        QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch());
}

// What a tooltip shows of tip: rich text when it looks like markup, as QToolTip decides.
inline QString toolTipShows(QString const& tip) {
    if (!Qt::mightBeRichText(tip)) {
        return tip;
    }
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

// A title that a tooltip drawing it as rich text would load (and never finish loading).
inline char const* const kMarkupTitle = "<img src=\"/dev/zero\"> & <b>bold</b>";

struct PresetSlot {
    bool fm;
    int slot;
    uint32_t freq;
    std::string name;
};

// The companion's 6240-byte "Presets" value, little-endian, built byte by byte.
inline std::vector<char> presetBytes(std::vector<PresetSlot> const& presetSlots,
                                     std::size_t size = ChannelPresetTable::kSize) {
    std::vector<char> bytes(size, '\0');
    for (PresetSlot const& s : presetSlots) {
        std::size_t const at = (s.fm ? 0 : 3120) + static_cast<std::size_t>(s.slot) * 260;
        if (at + 260 > size) {
            continue;
        }
        for (int b = 0; b < 4; ++b) {
            bytes[at + b] = static_cast<char>((s.freq >> (8 * b)) & 0xFF);
        }
        std::memcpy(bytes.data() + at + 4, s.name.data(),
                    std::min<std::size_t>(s.name.size(), 256));
    }
    return bytes;
}

// Writes a preferences property list holding "Presets" (when given) as XML or binary.
inline void writePresetFile(std::string const& path, std::vector<char> const* presets, bool binary,
                            char const* key = "Presets") {
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "WindowFrame", plist_new_string("0 0 320 200"));
    if (presets != nullptr) {
        plist_dict_set_item(dict, key, plist_new_data(presets->data(), presets->size()));
    }
    char* out = nullptr;
    uint32_t length = 0;
    if (binary) {
        plist_to_bin(dict, &out, &length);
    } else {
        plist_to_xml(dict, &out, &length);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(out, length);
    if (binary) {
        plist_to_bin_free(out);
    } else {
        plist_to_xml_free(out);
    }
    plist_free(dict);
}

// Answers every alert with its default button and keeps their messages.
struct AlertLog {
    QStringList messages;
    QStringList buttons;
    AlertLog() {
        MessageBox::setHandler([this](MessageBox::Request const& request) {
            messages << request.message;
            buttons << request.defaultButton + QLatin1Char('|') + request.alternateButton;
            return MessageBox::Button::Default;
        });
    }
    ~AlertLog() { MessageBox::setHandler(nullptr); }
    AlertLog(AlertLog const&) = delete;
    AlertLog& operator=(AlertLog const&) = delete;
};

inline Reservation makeReservation(double start, double end, uint32_t freq,
                                   char const* title = "") {
    Reservation rec;
    rec.start = start;
    rec.end = end;
    rec.frequency = freq;
    std::strncpy(rec.title, title, sizeof rec.title - 1);
    return rec;
}
