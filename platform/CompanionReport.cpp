#include "platform/CompanionReport.h"

#include <cmath>
#include <cstring>

namespace {

CompanionValue const* find(CompanionValues const& values, char const* key) {
    for (auto const& [k, v] : values) {
        if (k == key) {
            return &v;
        }
    }
    return nullptr;
}

// Each reader leaves error empty on success and names the entry otherwise.
class Reader {
public:
    Reader(CompanionValues const& values, std::string& error) : m_values(values), m_error(error) {}

    template <typename T> T const* entry(char const* key) {
        if (!m_error.empty()) {
            return nullptr;
        }
        CompanionValue const* value = find(m_values, key);
        if (value == nullptr) {
            m_error = std::string("no ") + key + " entry";
            return nullptr;
        }
        T const* typed = std::get_if<T>(value);
        if (typed == nullptr) {
            m_error = std::string(key) + " has the wrong type";
        }
        return typed;
    }

    void text(char const* key, std::size_t limit, std::string& out) {
        if (std::string const* v = entry<std::string>(key)) {
            if (v->size() > limit) {
                m_error = std::string(key) + " is longer than " + std::to_string(limit) + " bytes";
            } else {
                out = *v;
            }
        }
    }

    void number(char const* key, double& out) {
        if (double const* v = entry<double>(key)) {
            if (!std::isfinite(*v)) {
                m_error = std::string(key) + " is not a finite number";
            } else {
                out = *v;
            }
        }
    }

    void count(char const* key, int32_t& out) {
        if (int32_t const* v = entry<int32_t>(key)) {
            out = *v;
        }
    }

    bool ok() const { return m_error.empty(); }
    void fail(std::string why) {
        if (m_error.empty()) {
            m_error = std::move(why);
        }
    }

private:
    CompanionValues const& m_values;
    std::string& m_error;
};

} // namespace

char const* reportResultName(ReportResult result) {
    switch (result) {
    case ReportResult::Recorded:
        return "recorded";
    case ReportResult::Partial:
        return "partial";
    case ReportResult::Failed:
        return "failed";
    }
    return "failed";
}

std::optional<ReportResult> reportResultFromName(std::string const& name) {
    for (ReportResult r : {ReportResult::Recorded, ReportResult::Partial, ReportResult::Failed}) {
        if (name == reportResultName(r)) {
            return r;
        }
    }
    return std::nullopt;
}

char const* CompanionReport::messageName() const {
    return kind == ReportKind::Started ? kRecordingStartedMessage : kRecordingFinishedMessage;
}

CompanionValues CompanionReport::toWire() const {
    CompanionValues values{
        {"Title", title},
        {"RecStartTime", recStartTime},
        {"RecEndTime", recEndTime},
        {"BAND", band},
        {"CH", ch},
    };
    if (kind == ReportKind::Finished) {
        values.emplace_back("File", file);
        values.emplace_back("Seconds", seconds);
        values.emplace_back("Result", std::string(reportResultName(result)));
        values.emplace_back("Reason", reason);
        values.emplace_back("ReasonText", reasonText);
        values.emplace_back("Dropouts", dropouts);
    }
    if (!source.empty()) {
        values.emplace_back("Source", source);
    }
    return values;
}

std::optional<CompanionReport> CompanionReport::fromWire(std::string const& name,
                                                         CompanionValues const& values,
                                                         std::string& error) {
    error.clear();
    CompanionReport report;
    if (name == kRecordingStartedMessage) {
        report.kind = ReportKind::Started;
    } else if (name == kRecordingFinishedMessage) {
        report.kind = ReportKind::Finished;
    } else {
        error = "not a report: " + name.substr(0, 64);
        return std::nullopt;
    }

    Reader in(values, error);
    in.text("Title", kReportTitleBytes, report.title);
    in.number("RecStartTime", report.recStartTime);
    in.number("RecEndTime", report.recEndTime);
    in.text("BAND", 2, report.band);
    if (in.ok() && report.band != "FM" && report.band != "AM") {
        in.fail("BAND is neither FM nor AM");
    }
    in.count("CH", report.ch);

    if (in.ok() && find(values, "Source") != nullptr) {
        in.text("Source", kReportKeyBytes, report.source);
        if (in.ok() && report.source != "receiver" && report.source != "stream") {
            in.fail("Source is neither receiver nor stream");
        }
    }

    if (report.kind == ReportKind::Finished) {
        in.text("File", kReportFileBytes, report.file);
        in.number("Seconds", report.seconds);
        if (in.ok() && report.seconds < 0.0) {
            in.fail("Seconds is negative");
        }
        std::string result;
        in.text("Result", kReportKeyBytes, result);
        if (in.ok()) {
            std::optional<ReportResult> r = reportResultFromName(result);
            if (r) {
                report.result = *r;
            } else {
                in.fail("Result is none of recorded, partial, failed");
            }
        }
        in.text("Reason", kReportKeyBytes, report.reason);
        in.text("ReasonText", kReportTextBytes, report.reasonText);
        in.count("Dropouts", report.dropouts);
        if (in.ok() && report.dropouts < 0) {
            in.fail("Dropouts is negative");
        }
    }
    if (!in.ok()) {
        return std::nullopt;
    }
    return report;
}
