#include "cli/DevicesCommand.h"

#include "sources/SoapySource.h"

#include <iostream>

namespace velto {

int runDevicesCommand(std::ostream& out, std::ostream& err) {
    using namespace std::chrono_literals;
    SourceError error;
    const auto receivers = listReceivers(15s, error);
    if (!error.key.empty()) {
        err << "velto devices: " << error.text << "\n";
        return 1;
    }
    if (receivers.empty()) {
        out << "No receivers found.\n";
        return 0;
    }
    for (const ReceiverInfo& receiver : receivers)
        out << "soapy:" << receiver.args << "\t" << receiver.label << "\n";
    return 0;
}

} // namespace velto
