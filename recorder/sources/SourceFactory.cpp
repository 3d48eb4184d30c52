#include "sources/SourceFactory.h"

#include "sources/IqFileSource.h"
#include "sources/Receiver.h"
#include "sources/SoapySource.h"
#include "sources/SourceAddress.h"
#include "sources/stream/StreamSourceFactory.h"
#include "sources/tuner/RadioTunerSource.h"

#include <cmath>

namespace velto {

namespace {
std::unique_ptr<AudioSource> makeCapture(const SourceRequest& request, const std::string& details,
                                         SourceError& error) {
    std::string why;
    auto capture = CaptureInfo::parse(details, why);
    if (!capture) {
        error = {"bad-source", why};
        return nullptr;
    }
    return std::make_unique<Receiver>(
        std::make_unique<IqFileSource>(std::move(*capture), !request.fast), request.station,
        request.receiver.deemphasisSeconds);
}

// soapy:ARGS[?gain=auto|DB&ppm=N&upconverter=HZ&direct=1]: the device arguments, and
// settings that stand in for the settings page's.
std::unique_ptr<AudioSource> makeTuner(const SourceRequest& request, const std::string& details,
                                       SourceError& error) {
    ReceiverSettings settings = request.receiver;
    const auto question = details.find('?');
    if (question != std::string::npos || !details.empty())
        settings.deviceArgs = details.substr(0, question);
    if (question != std::string::npos) {
        std::string why;
        auto query = parseQuery(std::string_view(details).substr(question + 1),
                                {"gain", "ppm", "upconverter", "direct"}, why);
        if (!query) {
            error = {"bad-source", why};
            return nullptr;
        }
        for (const auto& [key, value] : *query) {
            if (key == "gain" && value == "auto") {
                settings.gainDb.reset();
                continue;
            }
            const auto number = parseNumber(value, key == "ppm");
            const bool fits = number && (key == "gain"          ? *number <= 100
                                         : key == "ppm"         ? std::abs(*number) <= 1000
                                         : key == "upconverter" ? *number <= 10e9
                                                                : *number <= 1);
            if (!fits) {
                error = {"bad-source", "The setting \"" + key + "\" has a value out of range."};
                return nullptr;
            }
            if (key == "gain") {
                settings.gainDb = *number;
            } else if (key == "ppm") {
                settings.ppm = *number;
            } else if (key == "upconverter") {
                settings.amInput = AmInput::Upconverter;
                settings.upconverterHz = *number;
            } else if (*number == 1) {
                settings.amInput = AmInput::DirectSampling;
            }
        }
    }
    return std::make_unique<Receiver>(std::make_unique<SoapySource>(std::move(settings)),
                                      request.station, request.receiver.deemphasisSeconds);
}
// url:http(s)://…: a station's internet stream.
std::unique_ptr<AudioSource> makeStream(const SourceRequest&, const std::string& details,
                                        SourceError& error) {
    return makeStreamSource("url:" + details, error);
}

// v4l2:/dev/radioN[?alsa=…&rate=…]: a USB radio tuner and its sound card.
std::unique_ptr<AudioSource> makeRadio(const SourceRequest& request, const std::string& details,
                                       SourceError& error) {
    return makeRadioTunerSource("v4l2:" + details, request.station, error);
}
} // namespace

SourceFactory::SourceFactory() {
    add("iq", makeCapture);
    add("soapy", makeTuner);
    add("url", makeStream);
    add("v4l2", makeRadio);
}

void SourceFactory::add(const std::string& scheme, SourceCreator creator) {
    m_creators[scheme] = std::move(creator);
}

std::vector<std::string> SourceFactory::schemes() const {
    std::vector<std::string> names;
    for (const auto& entry : m_creators)
        names.push_back(entry.first);
    return names;
}

std::unique_ptr<AudioSource> SourceFactory::create(const SourceRequest& request,
                                                   SourceError& error) const {
    std::string why;
    const auto address =
        SourceAddress::parse(request.address.empty() ? "soapy:" : request.address, why);
    if (!address) {
        error = {"bad-source", why};
        return nullptr;
    }
    const auto creator = m_creators.find(address->scheme);
    if (creator == m_creators.end()) {
        std::string known;
        for (const auto& name : schemes())
            known += (known.empty() ? "" : ", ") + name + ":";
        error = {"bad-source",
                 "Unknown kind of source \"" + address->scheme + ":\" (known: " + known + ")."};
        return nullptr;
    }
    return creator->second(request, address->rest, error);
}

} // namespace velto
