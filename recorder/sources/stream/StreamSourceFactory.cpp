#include "sources/stream/StreamSourceFactory.h"

#include "sources/stream/StreamSource.h"
#include "sources/stream/StreamUrl.h"

namespace velto {

std::unique_ptr<AudioSource> makeStreamSource(const std::string& address, SourceError& error) {
    return makeStreamSource(address, StreamOptions{}, error);
}

std::unique_ptr<AudioSource> makeStreamSource(const std::string& address,
                                              const StreamOptions& options, SourceError& error) {
    std::string url;
    if (!StreamUrl::fromAddress(address, url, error)) {
        return nullptr;
    }
    return std::make_unique<StreamSource>(std::move(url), options);
}

} // namespace velto
