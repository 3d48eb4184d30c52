#include "sources/SoapySource.h"

#include "sources/Deadline.h"

#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Logger.hpp>

#include <algorithm>
#include <stdexcept>

namespace velto {

namespace {
// Opening a USB tuner takes a second or two; a driver that needs longer is stuck.
constexpr std::chrono::milliseconds kOpenDeadline{10'000};
constexpr std::chrono::milliseconds kCloseDeadline{5'000};
// One read gathers about this much.
constexpr double kReadSeconds = 0.1;
// Above this, direct sampling cannot reach the station (RTL2832U samples at 28.8 MHz).
constexpr double kDirectSamplingLimit = 14'400'000;

struct Opened {
    SoapySDR::Device* device = nullptr;
    SoapySDR::Stream* stream = nullptr;
    std::string errorKey;
    std::string errorText;
};

void quietLogs() {
    // The drivers' chatter (tuner names, buffer sizes) is not for the user's terminal.
    static const bool done = [] {
        SoapySDR::setLogLevel(SOAPY_SDR_WARNING);
        return true;
    }();
    (void)done;
}

bool hasSetting(SoapySDR::Device& device, const std::string& key) {
    for (const auto& info : device.getSettingInfo())
        if (info.key == key)
            return true;
    return false;
}
} // namespace

std::vector<ReceiverInfo> listReceivers(std::chrono::milliseconds deadline, SourceError& error) {
    quietLogs();
    try {
        auto found = callWithin<SoapySDR::KwargsList>(
            deadline, [] { return SoapySDR::Device::enumerate(SoapySDR::Kwargs()); });
        if (!found) {
            error = {"receiver-search-timeout", "The search for receivers did not finish in time."};
            return {};
        }
        std::vector<ReceiverInfo> receivers;
        for (const auto& args : *found) {
            ReceiverInfo info;
            auto value = [&](const char* key) {
                auto at = args.find(key);
                return at == args.end() ? std::string() : at->second;
            };
            info.driver = value("driver");
            info.serial = value("serial");
            info.label = value("label");
            if (info.label.empty())
                info.label = info.driver;
            SoapySDR::Kwargs pick{{"driver", info.driver}};
            if (!info.serial.empty())
                pick["serial"] = info.serial;
            info.args = SoapySDR::KwargsToString(pick);
            receivers.push_back(std::move(info));
        }
        return receivers;
    } catch (const std::exception& e) {
        error = {"receiver-search-failed",
                 std::string("The search for receivers failed: ") + e.what()};
        return {};
    }
}

SoapySource::SoapySource(ReceiverSettings settings) : m_settings(std::move(settings)) {}

SoapySource::~SoapySource() {
    close();
}

void SoapySource::release(Handle& handle) {
    if (!handle.device)
        return;
    try {
        if (handle.stream) {
            handle.device->deactivateStream(handle.stream);
            handle.device->closeStream(handle.stream);
        }
        SoapySDR::Device::unmake(handle.device);
    } catch (const std::exception&) {
        // A device that fails to close is gone anyway.
    }
    handle = {};
}

bool SoapySource::open(const Station& station, SourceError& error) {
    close();
    quietLogs();
    const bool am = station.band == Band::AM;
    const bool direct = am && m_settings.amInput == AmInput::DirectSampling;
    const double centre = station.frequencyHz() + m_settings.tuningOffsetHz;
    const double tuned = centre + (am && !direct ? m_settings.upconverterHz : 0.0);
    const ReceiverSettings settings = m_settings;
    if (direct && centre > kDirectSamplingLimit) {
        error = {"station-unreachable",
                 "Direct sampling does not reach " + station.describe() + "."};
        return false;
    }

    std::optional<Opened> opened;
    try {
        opened = callWithin<Opened>(
            kOpenDeadline,
            [settings, direct, tuned]() {
                Opened result;
                const auto args = SoapySDR::KwargsFromString(settings.deviceArgs);
                const auto found = SoapySDR::Device::enumerate(args);
                if (found.empty()) {
                    result.errorKey = "no-receiver";
                    result.errorText = settings.deviceArgs.empty()
                                           ? "No receiver was found."
                                           : "No receiver matches \"" + settings.deviceArgs + "\".";
                    return result;
                }
                try {
                    result.device = SoapySDR::Device::make(found.front());
                } catch (const std::exception& e) {
                    result.errorKey = "receiver-unavailable";
                    result.errorText = std::string("The receiver cannot be opened (is another "
                                                   "program using it?): ") +
                                       e.what();
                    return result;
                }
                try {
                    auto& device = *result.device;
                    device.setSampleRate(SOAPY_SDR_RX, 0, settings.sampleRate);
                    if (direct) {
                        if (!hasSetting(device, "direct_samp")) {
                            result.errorKey = "no-direct-sampling";
                            result.errorText = "This receiver cannot sample directly; AM needs an "
                                               "upconverter with it.";
                            return result;
                        }
                        device.writeSetting("direct_samp", "2");
                    }
                    if (settings.ppm != 0) {
                        if (device.hasFrequencyCorrection(SOAPY_SDR_RX, 0))
                            device.setFrequencyCorrection(SOAPY_SDR_RX, 0, settings.ppm);
                        else
                            device.setFrequency(SOAPY_SDR_RX, 0, "CORR", settings.ppm);
                    }
                    device.setFrequency(SOAPY_SDR_RX, 0, tuned);
                    const bool gainMode = device.hasGainMode(SOAPY_SDR_RX, 0);
                    if (settings.gainDb) {
                        if (gainMode)
                            device.setGainMode(SOAPY_SDR_RX, 0, false);
                        device.setGain(SOAPY_SDR_RX, 0, *settings.gainDb);
                    } else if (gainMode) {
                        device.setGainMode(SOAPY_SDR_RX, 0, true);
                    }
                    result.stream = device.setupStream(SOAPY_SDR_RX, SOAPY_SDR_CF32);
                    const int status = device.activateStream(result.stream);
                    if (status != 0)
                        throw std::runtime_error(SoapySDR::errToStr(status));
                } catch (const std::exception& e) {
                    // Set up halfway: the device is closed again here, not leaked.
                    Handle handle{result.device, result.stream};
                    release(handle);
                    result.device = nullptr;
                    result.stream = nullptr;
                    result.errorKey = "receiver-failed";
                    result.errorText = std::string("The receiver failed to start: ") + e.what();
                }
                return result;
            },
            [](Opened& late) {
                Handle handle{late.device, late.stream};
                release(handle);
            });
    } catch (const std::exception& e) {
        error = {"receiver-failed", std::string("The receiver failed to start: ") + e.what()};
        return false;
    }
    if (!opened) {
        error = {"receiver-timeout", "The receiver did not answer within 10 seconds."};
        return false;
    }
    m_handle = {opened->device, opened->stream};
    if (!opened->errorKey.empty()) {
        error = {opened->errorKey, opened->errorText};
        close();
        return false;
    }
    m_centreHz = centre;
    return true;
}

ReadStatus SoapySource::read(std::vector<std::complex<float>>& out,
                             std::chrono::milliseconds timeout, SourceError& error) {
    if (!m_handle.stream) {
        error = {"receiver-lost", "The receiver is not open."};
        return ReadStatus::Lost;
    }
    const auto wanted = std::size_t(m_settings.sampleRate * kReadSeconds);
    m_chunk.resize(wanted);
    std::size_t got = 0;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got < wanted) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        void* buffers[] = {m_chunk.data() + got};
        int flags = 0;
        long long timeNs = 0;
        const int n = m_handle.device->readStream(m_handle.stream, buffers, wanted - got, flags,
                                                  timeNs, long(left.count()));
        if (n > 0) {
            got += std::size_t(n);
        } else if (n == SOAPY_SDR_TIMEOUT) {
            break;
        } else if (n == SOAPY_SDR_OVERFLOW) {
            // Samples were dropped because we fell behind; the sound has a small gap.
            continue;
        } else {
            out.insert(out.end(), m_chunk.begin(), m_chunk.begin() + std::ptrdiff_t(got));
            error = {"receiver-lost",
                     std::string("The receiver stopped delivering: ") + SoapySDR::errToStr(n)};
            return ReadStatus::Lost;
        }
    }
    out.insert(out.end(), m_chunk.begin(), m_chunk.begin() + std::ptrdiff_t(got));
    return ReadStatus::Audio;
}

void SoapySource::close() {
    if (!m_handle.device)
        return;
    Handle handle = m_handle;
    m_handle = {};
    // Closing goes through the driver too; a hung one is left behind.
    callWithin<bool>(kCloseDeadline, [handle]() mutable {
        release(handle);
        return true;
    });
}

} // namespace velto
