#pragma once
#include "session/SessionSettings.h"
#include "session/StationTable.h"
#include "sources/ReceiverSettings.h"
#include "sources/SourceFactory.h"

#include <mutex>
#include <string>

namespace velto {

// Makes each programme's source by the settings: the receiver (a SoapySDR receiver, a USB
// radio tuner, a capture: an address, VELTO_SOURCE's when set) or the station's stream, as the
// stations table says. The window changes them while the session records; each programme
// takes them as they are when its source is made. Safe from any thread.
class SourceChooser {
public:
    // The factory outlives the chooser.
    explicit SourceChooser(const SourceFactory& factory);

    // `address` empty: the first SoapySDR receiver found. `fast`: a capture read as fast as it
    // can be (with a VirtualClock).
    void setReceiver(std::string address, ReceiverSettings settings, bool fast = false);
    void setStations(StationTable stations);
    StationTable stations() const;

    std::unique_ptr<AudioSource> make(const Programme& programme, SourceError& error) const;
    // make() for the Session; the chooser outlives the session.
    SourceMaker maker() const;

private:
    const SourceFactory& m_factory;
    mutable std::mutex m_mutex;
    std::string m_address;
    ReceiverSettings m_receiver;
    bool m_fast = false;
    StationTable m_stations;
};

} // namespace velto
