// Margins around a programme: the recording starts a little early and ends a little late,
// because programmes overrun and a station's clock and the computer's differ by seconds.
#pragma once

struct RecordingMargins {
    double before = 0.0; // seconds the recording starts before the programme
    double after = 0.0;  // seconds it goes on after the programme's end

    bool any() const { return before > 0.0 || after > 0.0; }
};

// What the companion is asked to record: the programme with its margins. Seconds since
// 1970-01-01 00:00 UTC.
struct RecordingSpan {
    double start = 0.0;
    double end = 0.0;
};
