// Registers the sleep veto once and reports through its exit status: 0 attached, 1 not.
// Lets a test see exactly what the program writes to standard output when there is no
// system bus or no logind.
#include "platform/linux/SleepVeto.h"
#include "tests/support/FakeDefaults.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakeDefaults defaults;
    SleepVeto veto(defaults, [] { return std::optional<double>(); });
    return veto.Register() ? 0 : 1;
}
