#include "sources/stream/StreamGuard.h"

#include "sources/stream/StreamUrl.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace velto {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

int StreamGuard::interruptCallback(void* guard) {
    return static_cast<const StreamGuard*>(guard)->interrupted() ? 1 : 0;
}

void StreamGuard::arm(std::chrono::milliseconds budget) {
    m_budget = budget;
    m_deadline = Clock::now() + budget;
}

void StreamGuard::disarm() {
    m_deadline = Clock::time_point::max();
}

bool StreamGuard::expired() const {
    return m_deadline != Clock::time_point::max() && Clock::now() >= m_deadline;
}

void StreamGuard::stop() {
    m_stop.store(true, std::memory_order_relaxed);
}

bool StreamGuard::stopped() const {
    return m_stop.load(std::memory_order_relaxed);
}

void StreamGuard::refuse(std::string key, std::string text) {
    if (!m_refusal) {
        m_refusal = SourceError{std::move(key), std::move(text)};
    }
}

bool StreamGuard::interrupted() const {
    if (stopped() || m_refusal.has_value()) {
        return true;
    }
    if (expired()) {
        if (!m_timedOut) {
            m_timedOut = true;
            m_timedOutBudget = m_budget;
        }
        return true;
    }
    return false;
}

void StreamGuard::beginRequest(int maxRedirects) {
    m_maxRedirects = maxRedirects;
    m_redirects = 0;
    m_status = 0;
}

// FFmpeg 5.1 follows redirects by itself, up to 8, to whatever a Location header names
// (any scheme is taken as http), and has no option to stop it. Its trace of each response
// line is the only place that shows them; refusing here interrupts FFmpeg before it sends
// the next request.
void StreamGuard::onResponseTrace(std::string_view line) {
    line = trimmed(line);
    if (startsWithNoCase(line, "http_code=")) {
        m_status = std::atoi(std::string(line.substr(10)).c_str());
        return;
    }
    if (!startsWithNoCase(line, "header='")) {
        return;
    }
    line.remove_prefix(8);
    if (!line.empty() && line.back() == '\'') {
        line.remove_suffix(1);
    }
    if (!isRedirect(m_status) || !startsWithNoCase(line, "location:")) {
        return;
    }
    const std::string_view target = trimmed(line.substr(9));
    if (++m_redirects > m_maxRedirects) {
        refuse("too-many-redirects",
               "The server redirected more than " + std::to_string(m_maxRedirects) + " times.");
        return;
    }
    const std::string scheme = StreamUrl::scheme(target);
    if (!scheme.empty() && scheme != "http" && scheme != "https") {
        refuse("forbidden-redirect", "The server redirected to \"" + StreamUrl::shortened(target) +
                                         "\", which is not an http or https address.");
    }
}

void StreamGuard::noteMessage(std::string_view component, std::string_view text) {
    m_component = component;
    m_message = trimmed(text);
}

void StreamGuard::forgetMessage() {
    m_component.clear();
    m_message.clear();
}

} // namespace velto
