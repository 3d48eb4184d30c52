#include "cli/RecordCommand.h"

#include "cli/StopSignals.h"
#include "cli/TimeArgument.h"
#include "output/PartRecovery.h"
#include "output/RecordingName.h"
#include "output/RecordingsFolder.h"
#include "session/FactorySources.h"
#include "session/Session.h"
#include "session/SystemClock.h"
#include "session/VirtualClock.h"
#include "sources/SourceAddress.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>

namespace velto {

namespace {
constexpr double kLongestSeconds = 7 * 24 * 3600.0;

std::string minutesAndSeconds(double seconds) {
    const auto whole = long(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// Tells the terminal what happens, keeps the report.
class TerminalEvents final : public SessionEvents {
public:
    explicit TerminalEvents(std::ostream& err) : m_err(err) {}
    void recordingStarted(const RecordingStarted& started) override {
        std::lock_guard lock(m_mutex);
        // The title as its file name has it: no control characters reach the terminal.
        m_err << "Recording \"" << safeTitle(started.programme.title) << "\" ("
              << started.programme.station.describe() << ", " << started.sourceKind << ") into "
              << started.partFile << std::endl;
    }
    void recordingWarning(const Programme&, const std::string&, const std::string& text) override {
        std::lock_guard lock(m_mutex);
        m_err << "Warning: " << text << std::endl;
    }
    void recordingFinished(const RecordingReport& report) override {
        std::lock_guard lock(m_mutex);
        m_report = report;
    }
    std::optional<RecordingReport> report() {
        std::lock_guard lock(m_mutex);
        return m_report;
    }

private:
    std::ostream& m_err;
    std::mutex m_mutex;
    std::optional<RecordingReport> m_report;
};
} // namespace

std::optional<RecordOptions> RecordOptions::parse(const std::vector<std::string>& args,
                                                  std::string& why) {
    RecordOptions options;
    std::map<std::string, std::string> given;
    static const std::map<std::string, bool> known = {
        {"--band", true},   {"--ch", true},     {"--seconds", true},
        {"--start", true},  {"--end", true},    {"--title", true},
        {"--source", true}, {"--output", true}, {"--fast", false}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const auto option = known.find(name);
        if (option == known.end()) {
            why = "Unknown argument \"" + name + "\".";
            return std::nullopt;
        }
        if (given.count(name)) {
            why = name + " is given twice.";
            return std::nullopt;
        }
        if (option->second && !value) {
            if (i + 1 >= args.size()) {
                why = name + " needs a value.";
                return std::nullopt;
            }
            value = args[++i];
        } else if (!option->second && value) {
            why = name + " takes no value.";
            return std::nullopt;
        }
        given[name] = value.value_or("");
    }
    if (!given.count("--band") || !given.count("--ch")) {
        why = "--band and --ch say what to record.";
        return std::nullopt;
    }
    const auto band = bandFromName(given["--band"]);
    if (!band) {
        why = "--band is FM or AM.";
        return std::nullopt;
    }
    const auto channel = parseNumber(given["--ch"]);
    if (!channel || *channel != std::floor(*channel) || *channel > 1e6) {
        why = "--ch is a whole number: FM in 10 kHz units (8000 is 80.0 MHz), AM in kHz.";
        return std::nullopt;
    }
    options.station = {*band, int(*channel)};
    if (!options.station.valid(why))
        return std::nullopt;
    const bool bySeconds = given.count("--seconds");
    const bool byTimes = given.count("--start") || given.count("--end");
    if (bySeconds == byTimes || (byTimes && (!given.count("--start") || !given.count("--end")))) {
        why = "Give either --seconds S or both --start T and --end T.";
        return std::nullopt;
    }
    if (bySeconds) {
        options.seconds = parseNumber(given["--seconds"]);
        if (!options.seconds || *options.seconds <= 0 || *options.seconds > kLongestSeconds) {
            why = "--seconds is a length in seconds, up to a week.";
            return std::nullopt;
        }
    } else {
        options.start = parseTimeArgument(given["--start"]);
        options.end = parseTimeArgument(given["--end"]);
        if (!options.start || !options.end) {
            why = "--start and --end are ISO 8601 times with their offset "
                  "(2025-03-01T20:00:00+09:00) or seconds since 1970.";
            return std::nullopt;
        }
        if (*options.end <= *options.start ||
            *options.end - *options.start > std::chrono::duration<double>(kLongestSeconds)) {
            why = "--end must come after --start, at most a week later.";
            return std::nullopt;
        }
    }
    if (given.count("--title"))
        options.title = given["--title"];
    if (given.count("--source"))
        options.source = given["--source"];
    if (given.count("--output"))
        options.output = given["--output"];
    options.fast = given.count("--fast");
    return options;
}

int runRecordCommand(const std::vector<std::string>& args, const SourceFactory& sources,
                     std::ostream& out, std::ostream& err) {
    std::string why;
    const auto options = RecordOptions::parse(args, why);
    if (!options) {
        err << "velto record: " << why << "\n"
            << "Usage: velto record --band FM|AM --ch N (--seconds S | --start T --end T)\n"
            << "                    [--title T] [--source SOURCE] [--output DIR] [--fast]\n";
        return 2;
    }
    // The folder: one given must exist; the default one is made.
    std::string folder = options->output.value_or(defaultRecordingsFolder());
    if (options->output) {
        if (!std::filesystem::is_directory(folder)) {
            err << "velto record: " << folder << " is not a folder.\n";
            return 2;
        }
    } else if (!makeFolder(folder, why)) {
        err << "velto record: " << why << "\n";
        return 1;
    }
    for (const RecoveredFile& file : recoverPartFiles(folder)) {
        if (file.recovered)
            err << "Finished an interrupted recording: " << file.path << " ("
                << minutesAndSeconds(file.seconds) << ")\n";
        else
            err << "An interrupted recording could not be finished: " << file.reasonText << "\n";
    }

    const char* environment = std::getenv("VELTO_SOURCE");
    SourceRequest request;
    request.address = options->source.value_or(environment ? environment : "");
    request.station = options->station;
    request.fast = options->fast;
    // An address that cannot make a source is a bad argument, told before anything waits.
    SourceError error;
    if (!sources.create(request, error)) {
        err << "velto record: " << error.text << "\n";
        return 2;
    }

    const auto now = std::chrono::system_clock::now();
    Programme programme;
    programme.station = options->station;
    programme.title = options->title.value_or(options->station.describe());
    if (options->seconds) {
        programme.start = now;
        programme.end = now + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                  std::chrono::duration<double>(*options->seconds));
    } else {
        programme.start = *options->start;
        programme.end = *options->end;
    }
    if (programme.end <= now) {
        err << "velto record: the programme's end has already passed.\n";
        return 2;
    }

    SessionSettings settings;
    settings.folder = folder;
    std::unique_ptr<Clock> clock;
    if (options->fast)
        clock = std::make_unique<VirtualClock>(now);
    else
        clock = std::make_unique<SystemClock>();
    TerminalEvents events(err);
    // Before the session's thread, which must inherit the blocked signals.
    Session* running = nullptr;
    std::mutex runningMutex;
    StopSignals signals([&] {
        std::lock_guard lock(runningMutex);
        if (running)
            running->stop();
    });
    {
        Session session(*clock,
                        factorySources(sources, request.address, request.receiver, request.fast),
                        settings, events);
        {
            std::lock_guard lock(runningMutex);
            running = &session;
        }
        session.enqueue(programme);
        session.waitUntilIdle();
        std::lock_guard lock(runningMutex);
        running = nullptr;
    }
    const auto report = events.report();
    if (!report) {
        err << "velto record: nothing was recorded.\n";
        return 1;
    }
    if (!report->file.empty())
        out << report->file << std::endl;
    err << resultName(report->result);
    if (report->seconds > 0)
        err << ", " << minutesAndSeconds(report->seconds);
    if (report->dropouts > 0)
        err << ", " << report->dropouts << (report->dropouts == 1 ? " dropout" : " dropouts");
    if (!report->reasonKey.empty())
        err << ": " << report->reasonText << " (" << report->reasonKey << ")";
    err << std::endl;
    return report->result == RecordingResult::Recorded ? 0 : 1;
}

} // namespace velto
