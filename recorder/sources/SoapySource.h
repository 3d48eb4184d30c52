#pragma once
#include "sources/IqSource.h"
#include "sources/ReceiverSettings.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace SoapySDR {
class Device;
class Stream;
} // namespace SoapySDR

namespace velto {

// A receiver SoapySDR can reach: its description for the settings page and `velto devices`.
struct ReceiverInfo {
    std::string label;
    std::string driver;
    std::string serial;
    std::string args; // what `soapy:` takes to pick exactly this one
};

// The receivers SoapySDR finds within `deadline` (a network module can take long); an
// empty list and the reason when the search itself failed or ran out of time.
std::vector<ReceiverInfo> listReceivers(std::chrono::milliseconds deadline, SourceError& error);

// A tuner through SoapySDR (RTL-SDR dongles first). It tunes `tuningOffsetHz` beside the
// station, so that the DC spike of a zero-IF tuner never lies on the programme; AM comes in
// by direct sampling (RTL-SDR's Q branch) or through an upconverter. Every driver call that
// could hang runs under a deadline.
class SoapySource final : public IqSource {
public:
    explicit SoapySource(ReceiverSettings settings);
    ~SoapySource() override;

    bool open(const Station& station, SourceError& error) override;
    ReadStatus read(std::vector<std::complex<float>>& out, std::chrono::milliseconds timeout,
                    SourceError& error) override;
    void close() override;
    double sampleRate() const override { return m_settings.sampleRate; }
    double centreHz() const override { return m_centreHz; }

private:
    struct Handle {
        SoapySDR::Device* device = nullptr;
        SoapySDR::Stream* stream = nullptr;
    };
    static void release(Handle& handle);

    ReceiverSettings m_settings;
    Handle m_handle;
    double m_centreHz = 0;
    std::vector<std::complex<float>> m_chunk;
};

} // namespace velto
