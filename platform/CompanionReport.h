// The companion's two reports back to this program: that it began recording a reservation
// handed over to it, and what it recorded in the end (docs/companion-protocol.md). Both
// programs read and write them through this one struct, so the format cannot drift apart.
#pragma once

#include "platform/ICompanionBus.h"

#include <cstdint>
#include <optional>
#include <string>

// Longest texts taken from the wire, in bytes; a longer entry refuses the whole report.
inline constexpr std::size_t kReportTitleBytes = 4096; // the reservation's title, as sent
inline constexpr std::size_t kReportFileBytes = 4096;  // PATH_MAX
inline constexpr std::size_t kReportKeyBytes = 64;
inline constexpr std::size_t kReportTextBytes = 1024;

enum class ReportKind {
    Started,  // Velto_Notification_RecordingStarted
    Finished, // Velto_Notification_RecordingFinished
};

enum class ReportResult {
    Recorded, // the whole programme
    Partial,  // a file, but not all of the programme
    Failed,   // no file
};

struct CompanionReport {
    ReportKind kind = ReportKind::Finished;

    // As handed over, so that the manager can match the report to its reservation.
    std::string title;
    double recStartTime = 0.0;
    double recEndTime = 0.0;
    std::string band; // "FM" or "AM"
    int32_t ch = 0;

    // Where the sound comes from: "receiver" or "stream"; "" when the companion does not
    // say (one that predates the entry).
    std::string source;

    // Finished only.
    std::string file; // the recording's path; "" when none was made
    double seconds = 0.0;
    ReportResult result = ReportResult::Recorded;
    std::string reason;     // a short English key, "" when recorded whole
    std::string reasonText; // English words for it
    int32_t dropouts = 0;

    // The message's name on the bus.
    char const* messageName() const;
    // The entries, in the documented order.
    CompanionValues toWire() const;
    // The report a message carries, or nullopt with why not in error (English, for logs).
    // Strict: every entry present with its type, texts within their bounds, Result one of
    // the three names; Source may be absent.
    static std::optional<CompanionReport>
    fromWire(std::string const& name, CompanionValues const& values, std::string& error);
};

// "recorded", "partial", "failed".
char const* reportResultName(ReportResult result);
std::optional<ReportResult> reportResultFromName(std::string const& name);
