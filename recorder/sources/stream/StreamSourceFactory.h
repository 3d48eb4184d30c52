#pragma once
#include "sources/AudioSource.h"
#include "sources/stream/StreamOptions.h"

#include <memory>
#include <string>

namespace velto {

// What a source factory keyed by the address's scheme calls for "url:…" addresses
// (`velto record --source url:https://radio.example/live.mp3`, VELTO_SOURCE, a station set
// to its stream). An address that is not an http(s) address is refused here, before anything
// connects: nullptr, and `error` says why ("bad-url").
std::unique_ptr<AudioSource> makeStreamSource(const std::string& address, SourceError& error);
std::unique_ptr<AudioSource> makeStreamSource(const std::string& address,
                                              const StreamOptions& options, SourceError& error);

} // namespace velto
