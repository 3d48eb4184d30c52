#include "app/ProgrammeMessage.h"

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
    return {{"Title", programme.title},
            {"RecStartTime", std::round(secondsOf(programme.start))},
            {"RecEndTime", std::round(secondsOf(programme.end))},
            {"BAND", std::string(bandName(programme.station.band))},
            {"CH", int32_t(programme.station.channel)}};
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
    CompanionValues values = matchingEntries(started.programme);
    values.emplace_back("File", started.partFile);
    values.emplace_back("Source", started.sourceKind);
    return values;
}

CompanionValues finishedReport(const RecordingReport& report) {
    CompanionValues values = matchingEntries(report.programme);
    values.emplace_back("File", report.file);
    values.emplace_back("Seconds", report.seconds);
    values.emplace_back("Result", std::string(resultName(report.result)));
    values.emplace_back("Reason", report.reasonKey);
    values.emplace_back("ReasonText", report.reasonText);
    values.emplace_back("Dropouts", int32_t(report.dropouts));
    values.emplace_back("Source", report.sourceKind);
    return values;
}

CompanionValues refusedReport(const CompanionValues& received, const SourceError& why) {
    CompanionValues values = matchingEntries(received);
    values.emplace_back("File", std::string());
    values.emplace_back("Seconds", 0.0);
    values.emplace_back("Result", std::string(resultName(RecordingResult::Failed)));
    values.emplace_back("Reason", why.key);
    values.emplace_back("ReasonText", why.text);
    values.emplace_back("Dropouts", int32_t(0));
    return values;
}

} // namespace velto
