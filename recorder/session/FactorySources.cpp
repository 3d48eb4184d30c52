#include "session/FactorySources.h"

namespace velto {

SourceMaker factorySources(const SourceFactory& factory, std::string spec,
                           ReceiverSettings receiver, bool fast) {
    return [&factory, spec = std::move(spec), receiver = std::move(receiver),
            fast](const Programme& programme, SourceError& error) {
        SourceRequest request;
        request.spec = spec;
        request.station = programme.station;
        request.fast = fast;
        request.receiver = receiver;
        return factory.create(request, error);
    };
}

} // namespace velto
