#pragma once
#include "sources/AudioSource.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

// Bounds every blocking FFmpeg call of one stream: a deadline the worker arms before each
// wait, a stop that close() raises from another thread, and refusals raised while FFmpeg
// works (a redirect to a forbidden address, too many redirects). FFmpeg polls
// interruptCallback() while it connects, reads and waits, and gives up when it answers 1.
//
// Apart from stop(), everything here is used on the worker's thread only: FFmpeg calls the
// interrupt callback and logs on the thread that called it.
class StreamGuard {
public:
    using Clock = std::chrono::steady_clock;

    static int interruptCallback(void* guard);

    // The current call may take `budget` from now.
    void arm(std::chrono::milliseconds budget);
    // No deadline (input from memory).
    void disarm();
    bool expired() const;
    std::chrono::milliseconds budget() const { return m_budget; }
    // Whether a deadline interrupted FFmpeg, and the budget it had: FFmpeg may still hand
    // out what it buffered before it reports the interruption.
    bool timedOut() const { return m_timedOut; }
    std::chrono::milliseconds timedOutBudget() const { return m_timedOutBudget; }

    // Any thread: makes FFmpeg's current and later calls give up.
    void stop();
    bool stopped() const;

    // Makes FFmpeg give up for this reason; the first reason stays.
    void refuse(std::string key, std::string text);
    const std::optional<SourceError>& refusal() const { return m_refusal; }

    bool interrupted() const;

    // A new request begins (each address opened, each playlist and segment).
    void beginRequest(int maxRedirects);
    // One line of an HTTP response as FFmpeg reads it: "http_code=302", "header='Location: …'".
    void onResponseTrace(std::string_view line);
    int lastStatus() const { return m_status; }

    // FFmpeg's last error message on this worker and the part that gave it ("tls", "http", …).
    void noteMessage(std::string_view component, std::string_view text);
    void forgetMessage();
    const std::string& lastMessage() const { return m_message; }
    const std::string& lastComponent() const { return m_component; }

private:
    Clock::time_point m_deadline = Clock::time_point::max();
    std::chrono::milliseconds m_budget{0};
    mutable bool m_timedOut = false;
    mutable std::chrono::milliseconds m_timedOutBudget{0};
    std::atomic<bool> m_stop{false};
    std::optional<SourceError> m_refusal;
    int m_maxRedirects = 5;
    int m_redirects = 0;
    int m_status = 0;
    std::string m_message;
    std::string m_component;
};

} // namespace velto
