#pragma once
#include "sources/AudioSource.h"
#include "sources/stream/StreamOptions.h"

#include <memory>
#include <string>

namespace velto {

// What a source factory keyed by the spec's scheme calls for "url:…" specs
// (`velto record --source url:https://radio.example/live.mp3`, VELTO_SOURCE, a station set
// to its stream). A spec that is not an http(s) address is refused here, before anything
// connects: nullptr, and `error` says why ("bad-url").
std::unique_ptr<AudioSource> makeStreamSource(const std::string& spec, SourceError& error);
std::unique_ptr<AudioSource> makeStreamSource(const std::string& spec, const StreamOptions& options,
                                              SourceError& error);

} // namespace velto
