#include "session/FactorySources.h"

namespace velto {

SourceMaker factorySources(const SourceFactory& factory, std::string address,
                           ReceiverSettings receiver, bool fast) {
    return [&factory, address = std::move(address), receiver = std::move(receiver),
            fast](const Programme& programme, SourceError& error) {
        SourceRequest request;
        request.address = address;
        request.station = programme.station;
        request.fast = fast;
        request.receiver = receiver;
        return factory.create(request, error);
    };
}

} // namespace velto
