#pragma once
#include "sources/AudioSource.h"
#include "sources/ReceiverSettings.h"
#include "sources/Station.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velto {

// What a recording asks of a source.
struct SourceRequest {
    // "scheme:details"; empty means "soapy:" (the first receiver found).
    std::string address;
    Station station;
    // A capture as fast as it can be read, not at its own rate.
    bool fast = false;
    ReceiverSettings receiver;
};

// Makes a source from the part of the address after "scheme:"; none, with the reason, when
// the details are wrong. Opening comes later and reports its own failures.
using SourceCreator = std::function<std::unique_ptr<AudioSource>(
    const SourceRequest& request, const std::string& details, SourceError& error)>;

// Sources by their address's scheme: "soapy:" (a SoapySDR receiver), "iq:" (a capture replayed
// through the same receiver), "url:" (a station's internet stream) and "v4l2:" (a USB radio
// tuner with its sound card). Tests register fakes under schemes of their own with add().
class SourceFactory {
public:
    SourceFactory();
    // Replaces a scheme's creator when it is taken.
    void add(const std::string& scheme, SourceCreator creator);
    std::unique_ptr<AudioSource> create(const SourceRequest& request, SourceError& error) const;
    std::vector<std::string> schemes() const;

private:
    std::map<std::string, SourceCreator> m_creators;
};

} // namespace velto
