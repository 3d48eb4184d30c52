#include "sources/FallbackSource.h"

namespace velto {

FallbackSource::FallbackSource(std::unique_ptr<AudioSource> receiver, Maker stream)
    : m_receiver(std::move(receiver)), m_makeStream(std::move(stream)) {}

bool FallbackSource::open(SourceError& error) {
    if (m_chosen)
        return current().open(error);
    m_chosen = true;
    SourceError missing;
    if (m_receiver->open(missing))
        return true;
    // Only a receiver that is not there gives way; one that is busy or fails says so.
    if (missing.key != "no-receiver") {
        error = missing;
        return false;
    }
    m_stream = m_makeStream(error);
    if (!m_stream) {
        error.text = missing.text + " The station's stream cannot be used either: " + error.text;
        return false;
    }
    if (!m_stream->open(error)) {
        error.text = missing.text + " The station's stream failed too: " + error.text;
        return false;
    }
    m_warnings.push_back(
        {"stream-fallback", missing.text + " The station's stream is recorded instead."});
    return true;
}

ReadStatus FallbackSource::read(std::vector<float>& out, std::chrono::milliseconds timeout,
                                SourceError& error) {
    return current().read(out, timeout, error);
}

void FallbackSource::close() {
    current().close();
}

bool FallbackSource::stereo() const {
    return current().stereo();
}

const char* FallbackSource::kind() const {
    return current().kind();
}

std::chrono::milliseconds FallbackSource::longestQuiet() const {
    return current().longestQuiet();
}

std::vector<SourceError> FallbackSource::takeWarnings() {
    std::vector<SourceError> warnings;
    warnings.swap(m_warnings);
    for (SourceError& warning : current().takeWarnings())
        warnings.push_back(std::move(warning));
    return warnings;
}

} // namespace velto
