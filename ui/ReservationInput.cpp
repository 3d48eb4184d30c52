#include "ui/ReservationInput.h"

#include "ui/LeadingNumber.h"
#include "ui/ReserveTime.h"

#include <QByteArray>

#include <cmath>
#include <cstring>

namespace {
constexpr uint32_t kFmBand = 0x01000000;
constexpr uint32_t kFreqMask = 0x00FFFFFF;
constexpr int kAmLow = 522;
constexpr int kAmHigh = 1602;
constexpr int kAmStep = 9;
constexpr double kFmLow = 76.0;
constexpr double kFmHigh = 90.0;
constexpr qsizetype kTitleMaxBytes = 255;
} // namespace

bool TitleFits(QString const& title) {
    return title.toUtf8().size() <= kTitleMaxBytes;
}

bool ChannelValid(bool fm, QString const& channel) {
    if (!fm) {
        int const v = LeadingIntValue(channel);
        return v >= kAmLow && v <= kAmHigh && (v - kAmLow) % kAmStep == 0;
    }
    double const x = LeadingDoubleValue(channel);
    return x >= kFmLow && x <= kFmHigh;
}

bool EndNotPassed(ReservationInput const& input, double now) {
    if (input.week != 0) {
        return true; // a weekly reservation moves on to its next day by itself
    }
    double const end = ComposeEnd(input.day, input.start, input.end);
    return !(std::trunc(now) > std::trunc(end));
}

ReservationRefusal CheckReservation(ReservationInput const& input, double now) {
    if (!TitleFits(input.title)) {
        return ReservationRefusal::TitleTooLong;
    }
    if (!ChannelValid(input.fm, input.channel)) {
        return ReservationRefusal::InvalidFrequency;
    }
    if (!EndNotPassed(input, now)) {
        return ReservationRefusal::EndPassed;
    }
    return ReservationRefusal::None;
}

QString RefusalMessage(ReservationRefusal refusal) {
    switch (refusal) {
    case ReservationRefusal::TitleTooLong:
        //% "The title is too long. Use at most 255 bytes (about 85 Japanese characters)."
        return qtTrId("IDS_ERR_TOO_LONG_TITLE");
    case ReservationRefusal::InvalidFrequency:
        //% "The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to 90.0 "
        //% "MHz."
        return qtTrId("IDS_ERR_INVALID_FREQ");
    case ReservationRefusal::EndPassed:
        //% "The end time of this recording has already passed."
        return qtTrId("IDS_ERR_PASSED_REC_TIME");
    case ReservationRefusal::None:
        break;
    }
    return QString();
}

uint32_t ChannelFrequency(bool fm, QString const& channel) {
    if (fm) {
        double const value = std::round(LeadingDoubleValue(channel) * 100.0);
        if (!(value > 0.0) || value > kFreqMask) {
            return 0;
        }
        return static_cast<uint32_t>(value);
    }
    int const value = LeadingIntValue(channel);
    return value > 0 && static_cast<uint32_t>(value) <= kFreqMask ? static_cast<uint32_t>(value)
                                                                  : 0;
}

void ComposeReservation(ReservationInput const& input, double now, SCHEDULEITEM_TAG& rec) {
    rec.uWeek = input.week & 0x7Fu;

    QByteArray const title = input.title.toUtf8().left(kTitleMaxBytes);
    std::memset(rec.cTitle, 0, sizeof rec.cTitle);
    std::memcpy(rec.cTitle, title.constData(), static_cast<std::size_t>(title.size()));

    double const baseDay = rec.uWeek == 0 ? input.day : WeeklyBaseDay(input.day, now, rec.uWeek);
    rec.dStartTime = ComposeStart(baseDay, input.start);
    rec.dEndTime = ComposeEnd(baseDay, input.start, input.end);

    uint32_t const freq = ChannelFrequency(input.fm, input.channel);
    rec.uFreq = input.fm ? kFmBand + freq : freq;
}
