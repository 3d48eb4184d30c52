#include "gui/ProgrammeMessage.h"

#include "platform/CompanionReport.h"

#include <cmath>

namespace velto {

namespace {
// Times outside these years are not a reservation's (and would overflow a time_point).
constexpr double kEarliest = 946'684'800.0; // 2000-01-01
constexpr double kLatest = 7'258'118'400.0; // 2200-01-01

const CompanionValue* find(const CompanionValues& values, const char* key) {
    for (const auto& [name, value] : values) {
        if (name == key)
            return &value;
    }
    return nullptr;
}

template <typename T>
const T* entry(const CompanionValues& values, const char* key, const char* type,
               SourceError& error) {
    const CompanionValue* value = find(values, key);
    if (value == nullptr) {
        error = {"bad-message", std::string("The message has no ") + key + "."};
        return nullptr;
    }
    const T* typed = std::get_if<T>(value);
    if (typed == nullptr)
        error = {"bad-message", std::string("The message's ") + key + " is not " + type + "."};
    return typed;
}

std::chrono::system_clock::time_point timeFrom(double seconds) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::duration<double>(seconds)));
}

double secondsOf(std::chrono::system_clock::time_point time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

// At most `limit` bytes, not splitting a UTF-8 sequence.
std::string cut(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

CompanionReport reportOf(const Programme& programme, ReportKind kind) {
    CompanionReport report;
    report.kind = kind;
    report.title = cut(programme.title, kReportTitleBytes);
    report.recStartTime = secondsOf(programme.start);
    report.recEndTime = secondsOf(programme.end);
    report.band = bandName(programme.station.band);
    report.ch = programme.station.channel;
    return report;
}

ReportResult resultOf(RecordingResult result) {
    switch (result) {
    case RecordingResult::Recorded:
        return ReportResult::Recorded;
    case RecordingResult::Partial:
        return ReportResult::Partial;
    case RecordingResult::Failed:
        break;
    }
    return ReportResult::Failed;
}
} // namespace

std::optional<ProgrammeRequest> readProgrammeMessage(const CompanionValues& values,
                                                     SourceError& error) {
    const auto* channel = entry<int32_t>(values, "CH", "a whole number", error);
    if (channel == nullptr)
        return std::nullopt;
    const auto* band = entry<std::string>(values, "BAND", "a text", error);
    if (band == nullptr)
        return std::nullopt;
    const auto* start = entry<double>(values, "RecStartTime", "a time", error);
    if (start == nullptr)
        return std::nullopt;
    const auto* end = entry<double>(values, "RecEndTime", "a time", error);
    if (end == nullptr)
        return std::nullopt;
    const auto* title = entry<std::string>(values, "Title", "a text", error);
    if (title == nullptr)
        return std::nullopt;
    const auto* terminate = entry<bool>(values, "AppTerminate", "true or false", error);
    if (terminate == nullptr)
        return std::nullopt;
    // Only the exact words: "fm" or "Fm" would be a sender's mistake worth a refusal.
    if (*band != "FM" && *band != "AM") {
        error = {"bad-message", "The message's BAND is neither FM nor AM."};
        return std::nullopt;
    }
    for (double time : {*start, *end}) {
        if (!std::isfinite(time) || time < kEarliest || time > kLatest) {
            error = {"bad-message", "The message's RecStartTime or RecEndTime is not a time."};
            return std::nullopt;
        }
    }
    ProgrammeRequest request;
    request.programme.title = *title;
    request.programme.station = {*band == "FM" ? Band::FM : Band::AM, *channel};
    request.programme.start = timeFrom(*start);
    request.programme.end = timeFrom(*end);
    request.appTerminate = *terminate;
    return request;
}

CompanionValues matchingEntries(const Programme& programme) {
    return reportOf(programme, ReportKind::Started).toWire();
}

CompanionValues matchingEntries(const CompanionValues& received) {
    CompanionValues kept;
    const std::pair<const char*, std::size_t> wanted[] = {
        {"Title", 2}, {"RecStartTime", 1}, {"RecEndTime", 1}, {"BAND", 2}, {"CH", 0}};
    for (const auto& [key, type] : wanted) {
        const CompanionValue* value = find(received, key);
        if (value != nullptr && value->index() == type)
            kept.emplace_back(key, *value);
    }
    return kept;
}

CompanionValues startedReport(const RecordingStarted& started) {
    CompanionReport report = reportOf(started.programme, ReportKind::Started);
    report.source = started.sourceKind;
    return report.toWire();
}

CompanionValues finishedReport(const RecordingReport& recording) {
    CompanionReport report = reportOf(recording.programme, ReportKind::Finished);
    report.source = recording.sourceKind;
    report.file = cut(recording.file, kReportFileBytes);
    report.seconds = recording.seconds;
    report.result = resultOf(recording.result);
    report.reason = cut(recording.reasonKey, kReportKeyBytes);
    report.reasonText = cut(recording.reasonText, kReportTextBytes);
    report.dropouts = recording.dropouts;
    return report.toWire();
}

CompanionValues refusedReport(const CompanionValues& received, const SourceError& why) {
    CompanionValues values = matchingEntries(received);
    for (auto& [key, value] : values) {
        if (key == "Title")
            value = cut(std::get<std::string>(value), kReportTitleBytes);
    }
    values.emplace_back("File", std::string());
    values.emplace_back("Seconds", 0.0);
    values.emplace_back("Result", std::string(reportResultName(ReportResult::Failed)));
    values.emplace_back("Reason", why.key);
    values.emplace_back("ReasonText", why.text);
    values.emplace_back("Dropouts", int32_t(0));
    return values;
}

} // namespace velto
