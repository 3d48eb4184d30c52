#include "session/SourceChooser.h"

#include "sources/FallbackSource.h"

namespace velto {

SourceChooser::SourceChooser(const SourceFactory& factory) : m_factory(factory) {}

void SourceChooser::setReceiver(std::string address, ReceiverSettings settings, bool fast) {
    std::lock_guard lock(m_mutex);
    m_address = std::move(address);
    m_receiver = std::move(settings);
    m_fast = fast;
}

void SourceChooser::setStations(StationTable stations) {
    std::lock_guard lock(m_mutex);
    m_stations = std::move(stations);
}

StationTable SourceChooser::stations() const {
    std::lock_guard lock(m_mutex);
    return m_stations;
}

std::unique_ptr<AudioSource> SourceChooser::make(const Programme& programme,
                                                 SourceError& error) const {
    SourceRequest receiver;
    std::optional<StationEntry> entry;
    {
        std::lock_guard lock(m_mutex);
        receiver = {m_address, programme.station, m_fast, m_receiver};
        if (const StationEntry* found = m_stations.find(programme.station))
            entry = *found;
    }
    if (!entry || entry->use == SourceUse::Receiver || entry->streamUrl.empty())
        return m_factory.create(receiver, error);
    SourceRequest stream = receiver;
    stream.address = "url:" + entry->streamUrl;
    stream.fast = false;
    if (entry->use == SourceUse::Stream)
        return m_factory.create(stream, error);
    auto tuner = m_factory.create(receiver, error);
    if (!tuner)
        return nullptr;
    return std::make_unique<FallbackSource>(
        std::move(tuner),
        [&factory = m_factory, stream](SourceError& e) { return factory.create(stream, e); });
}

SourceMaker SourceChooser::maker() const {
    return
        [this](const Programme& programme, SourceError& error) { return make(programme, error); };
}

} // namespace velto
