#include "sources/stream/StreamError.h"

#include "sources/stream/StreamGuard.h"

#include <cerrno>
#include <string>

extern "C" {
#include <libavutil/error.h>
}

namespace velto {

namespace {

std::string seconds(std::chrono::milliseconds budget) {
    const long long tenths = (budget.count() + 50) / 100;
    return tenths % 10 == 0 ? std::to_string(tenths / 10)
                            : std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string detail(int code, const StreamGuard& guard) {
    std::string text = guard.lastMessage();
    if (text.empty()) {
        char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, buffer, sizeof buffer);
        text = buffer;
    }
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

SourceError describeStreamError(int code, const StreamGuard& guard, StreamPhase phase) {
    if (guard.refusal()) {
        return *guard.refusal();
    }
    const bool connecting = phase == StreamPhase::Connecting;
    if ((code == AVERROR_EXIT && !guard.stopped()) || code == AVERROR(ETIMEDOUT)) {
        const std::string budget =
            seconds(guard.timedOut() ? guard.timedOutBudget() : guard.budget());
        if (connecting) {
            return {"timeout", "The server did not answer with a stream within " + budget + " s."};
        }
        return {"stalled", "The stream sent no audio for " + budget + " s."};
    }
    if (code == AVERROR_EXIT) {
        return {"stopped", "The stream was closed."};
    }
    const int status = guard.lastStatus();
    if (code == AVERROR_HTTP_NOT_FOUND || status == 404 || status == 410) {
        return {"not-found", "The server has no stream at this address (HTTP " +
                                 std::to_string(status ? status : 404) + ")."};
    }
    if (code == AVERROR_HTTP_BAD_REQUEST || code == AVERROR_HTTP_UNAUTHORIZED ||
        code == AVERROR_HTTP_FORBIDDEN || code == AVERROR_HTTP_OTHER_4XX ||
        code == AVERROR_HTTP_SERVER_ERROR) {
        return {"http-error", "The server refused the stream (HTTP " +
                                  (status ? std::to_string(status) : std::string("error")) + ")."};
    }
    if (guard.lastComponent() == "tls") {
        return {"tls-failed", "The secure connection failed: " + detail(code, guard) + "."};
    }
    if (code == AVERROR_INVALIDDATA || code == AVERROR_DECODER_NOT_FOUND ||
        code == AVERROR_DEMUXER_NOT_FOUND ||
        guard.lastMessage().find("not on whitelist") != std::string::npos) {
        return {"not-audio", "The server's answer is not an audio stream this recorder "
                             "can read (" +
                                 detail(code, guard) + ")."};
    }
    if (connecting) {
        return {"connection-failed",
                "Could not connect to the stream: " + detail(code, guard) + "."};
    }
    if (code == AVERROR_EOF) {
        return {"connection-lost", "The server ended the stream."};
    }
    return {"connection-lost", "The stream broke off: " + detail(code, guard) + "."};
}

} // namespace velto
