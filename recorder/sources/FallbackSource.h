#pragma once
#include "sources/AudioSource.h"

#include <functional>
#include <memory>

namespace velto {

// A station's receiver, or its stream when no receiver is found: the choice is made at the
// first open() (a receiver that is there but fails is reported, not replaced) and kept for
// the programme, reopenings included. A stream taken instead is reported as a warning, and
// kind() says which one records.
class FallbackSource final : public AudioSource {
public:
    using Maker = std::function<std::unique_ptr<AudioSource>(SourceError& error)>;

    FallbackSource(std::unique_ptr<AudioSource> receiver, Maker stream);

    bool open(SourceError& error) override;
    ReadStatus read(std::vector<float>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override;
    bool stereo() const override;
    const char* kind() const override;
    std::chrono::milliseconds longestQuiet() const override;
    std::vector<SourceError> takeWarnings() override;

private:
    AudioSource& current() const { return m_stream ? *m_stream : *m_receiver; }

    std::unique_ptr<AudioSource> m_receiver;
    Maker m_makeStream;
    std::unique_ptr<AudioSource> m_stream; // once chosen
    bool m_chosen = false;
    std::vector<SourceError> m_warnings;
};

} // namespace velto
