#include "cli/DevicesCommand.h"

#include "sources/Deadline.h"
#include "sources/SoapySource.h"
#include "sources/tuner/RadioFrequency.h"

#include <iostream>

namespace velto {

namespace {
using namespace std::chrono_literals;
// A tuner whose driver hangs must not hold the listing.
constexpr auto kTunerSearch = 15s;

std::string describe(const FoundRadioTuner& tuner) {
    std::string text = tuner.name.empty() ? tuner.path : tuner.name;
    if (!tuner.driver.empty())
        text += " (" + tuner.driver + ")";
    for (std::size_t i = 0; i < tuner.bands.size(); ++i) {
        const RadioBand& band = tuner.bands[i];
        text += (i == 0 ? ": " : ", ") + band.name + " " + formatHz(band.lowHz) + " to " +
                formatHz(band.highHz);
    }
    if (!tuner.soundDevice.empty())
        text += "; sound card " + tuner.soundDevice;
    if (tuner.problem)
        text += "; cannot record: " + tuner.problem->text + " (" + tuner.problem->key + ")";
    return text;
}
} // namespace

int runDevicesCommand(std::ostream& out, std::ostream& err, const RadioTunerFinder& tuners) {
    int status = 0;
    SourceError error;
    const auto receivers = listReceivers(15s, error);
    if (!error.key.empty()) {
        err << "velto devices: " << error.text << "\n";
        status = 1;
    }
    std::optional<std::vector<FoundRadioTuner>> radios;
    try {
        radios = callWithin<std::vector<FoundRadioTuner>>(kTunerSearch,
                                                          [tuners] { return tuners.list(); });
        if (!radios) {
            err << "velto devices: the search for radio tuners did not finish in "
                << kTunerSearch.count() << " s.\n";
            status = 1;
        }
    } catch (const std::exception& e) {
        err << "velto devices: the search for radio tuners failed: " << e.what() << "\n";
        status = 1;
    }
    for (const ReceiverInfo& receiver : receivers)
        out << "soapy:" << receiver.args << "\t" << receiver.label << "\n";
    if (radios) {
        for (const FoundRadioTuner& tuner : *radios)
            out << tuner.address << "\t" << describe(tuner) << "\n";
    }
    if (receivers.empty() && (!radios || radios->empty()))
        out << "No receivers found.\n";
    return status;
}

} // namespace velto
