#pragma once
#include <chrono>
#include <string>

namespace velto {

// How a stream is fetched. The defaults are the recorder's; tests shorten the deadlines.
struct StreamOptions {
    // Connecting and the first answer: name lookup, TCP, TLS, the response header, the
    // playlist. Finding the audio in the answer gets readTimeout on top.
    std::chrono::milliseconds connectTimeout{10000};
    // The longest wait for audio once connected; longer is a stall and the source is Lost.
    std::chrono::milliseconds readTimeout{10000};
    // Trusted certificate authorities (PEM). Empty: the TLS library's system trust.
    std::string caFile = "/etc/ssl/certs/ca-certificates.crt";
    // Redirects followed for one request; FFmpeg itself would follow 8.
    int maxRedirects = 5;
    // Decoded audio held for a reader that falls behind. When it is full the source stops
    // taking from the network, so a stream is to be read continuously.
    std::chrono::milliseconds bufferLength{10000};
};

} // namespace velto
