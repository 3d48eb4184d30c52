#include "history/MissReasons.h"

#include <cmath>
#include <cstddef>

namespace {

using Rows = std::vector<JournalEntry>;

std::optional<std::size_t> lastAtOrBefore(Rows const& rows, JournalKind kind, double instant) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < rows.size() && rows[i].at <= instant; ++i) {
        if (rows[i].kind == kind) {
            found = i;
        }
    }
    return found;
}

// Whether rows (from, to) hold an exit: the run begun at from ended normally before to.
std::optional<std::size_t> exitBetween(Rows const& rows, std::size_t from, std::size_t to) {
    for (std::size_t i = from + 1; i < to && i < rows.size(); ++i) {
        if (rows[i].kind == JournalKind::ProgramExited) {
            return i;
        }
    }
    return std::nullopt;
}

// The program ran at start; was the computer asleep then, and should it have woken?
MissReason whileRunning(Rows const& rows, std::size_t runStart, double start) {
    std::optional<double> asleepSince;
    for (std::size_t i = runStart + 1; i < rows.size() && rows[i].at <= start; ++i) {
        if (rows[i].kind == JournalKind::Sleep) {
            asleepSince = rows[i].at;
        } else if (rows[i].kind == JournalKind::Woke) {
            asleepSince.reset();
        }
    }
    if (!asleepSince) {
        // Running and awake, yet not handed over: it was switched off at its start and on
        // again only after its end.
        return MissReason::SwitchedOff;
    }
    if (auto const plan = lastAtOrBefore(rows, JournalKind::WakeUpsPlanned, *asleepSince)) {
        for (double const wake : rows[*plan].instants) {
            if (wake > *asleepSince && wake <= start) {
                return MissReason::WokeLate;
            }
        }
    }
    return MissReason::AsleepOrOff;
}

} // namespace

MissReason deriveMissReason(Rows const& rows, double start) {
    if (rows.empty()) {
        return MissReason::Unknown;
    }
    std::optional<std::size_t> const lastStart =
        lastAtOrBefore(rows, JournalKind::ProgramStarted, start);
    std::optional<std::size_t> nextStart;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind == JournalKind::ProgramStarted && rows[i].at > start) {
            nextStart = i;
            break;
        }
    }

    // How the run before the start ended: normally (and why), or not at all as far as the
    // journal knows (a crash or a power cut), or it was still running at the start.
    std::optional<ExitCause> previousEnd;
    bool endedAbnormally = false;
    if (lastStart) {
        std::size_t const until = nextStart.value_or(rows.size());
        std::optional<std::size_t> const exit = exitBetween(rows, *lastStart, until);
        if (exit && rows[*exit].at <= start) {
            previousEnd = rows[*exit].exitCause;
        } else if (!exit && nextStart) {
            endedAbnormally = true; // started again without having ended
        } else {
            return whileRunning(rows, *lastStart, start);
        }
    }

    if (!nextStart) {
        // The program that noticed the miss left no start row (the journal was begun
        // afresh since): all that is known is that it was not running.
        return lastStart ? MissReason::NotRunning : MissReason::Unknown;
    }
    // The computer was started after the reservation's start: it was off (or asleep and
    // then restarted) unless the user had quit the program and the computer ran on.
    bool const bootedAfter = rows[*nextStart].bootAt > start;
    if (bootedAfter && (endedAbnormally || previousEnd == ExitCause::Ended)) {
        return MissReason::AsleepOrOff;
    }
    return MissReason::NotRunning;
}

WakeAssessment assessWake(double up, std::optional<double> down,
                          std::vector<double> const& planned) {
    WakeAssessment result;
    if (down) {
        // The first wake-up that fell while it was down is the one that should have
        // brought it up.
        std::optional<double> first;
        for (double const wake : planned) {
            if (wake > *down && wake <= up + kWakeEarlySeconds && (!first || wake < *first)) {
                first = wake;
            }
        }
        if (first) {
            result.planned = *first;
            result.outcome =
                up - *first <= kWakeOnTimeSeconds ? WakeOutcome::OnTime : WakeOutcome::Late;
        }
        return result;
    }
    // Not known when it went down: only a wake-up right before it came up is credited; an
    // older one may have passed while it was still running.
    std::optional<double> nearest;
    for (double const wake : planned) {
        if (wake >= up - kWakeOnTimeSeconds && wake <= up + kWakeEarlySeconds &&
            (!nearest || std::abs(wake - up) < std::abs(*nearest - up))) {
            nearest = wake;
        }
    }
    if (nearest) {
        result.planned = *nearest;
        result.outcome = WakeOutcome::OnTime;
    }
    return result;
}
