#include "sources/stream/FfmpegLog.h"

#include "sources/stream/StreamGuard.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace velto {

namespace {

thread_local StreamGuard* boundGuard = nullptr;

const char* componentOf(void* context) {
    if (!context) {
        return "";
    }
    const AVClass* avClass = *static_cast<const AVClass**>(context);
    if (!avClass) {
        return "";
    }
    // A URLContext's item name is its protocol ("http", "tls", "tcp").
    return avClass->item_name ? avClass->item_name(context) : avClass->class_name;
}

bool isHttp(const char* component) {
    return std::strcmp(component, "http") == 0 || std::strcmp(component, "https") == 0;
}

void logCallback(void* context, int level, const char* format, va_list arguments) {
    StreamGuard* guard = boundGuard;
    if (!guard) {
        if (level <= AV_LOG_ERROR) {
            av_log_default_callback(context, level, format, arguments);
        }
        return;
    }
    // Only what is used is formatted: demuxers trace every packet.
    const bool trace =
        level == AV_LOG_TRACE && format &&
        (std::strncmp(format, "header=", 7) == 0 || std::strncmp(format, "http_code=", 10) == 0);
    if (level > AV_LOG_ERROR && !trace) {
        return;
    }
    const char* component = componentOf(context);
    if (trace && !isHttp(component)) {
        return;
    }
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    if (trace) {
        guard->onResponseTrace(text);
    } else {
        guard->noteMessage(component, text);
    }
}

} // namespace

void FfmpegLog::install() {
    static std::once_flag once;
    std::call_once(once, [] {
        avformat_network_init();
        av_log_set_callback(&logCallback);
    });
}

FfmpegLog::Scope::Scope(StreamGuard& guard) : m_previous(boundGuard) {
    boundGuard = &guard;
}

FfmpegLog::Scope::~Scope() {
    boundGuard = m_previous;
}

} // namespace velto
