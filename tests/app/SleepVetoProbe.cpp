// Registers the sleep veto once and reports through its exit status: 0 attached, 1 not.
// Lets a test see exactly what the program writes to standard output when there is no
// system bus or no logind.
#include "app/SleepVeto.h"
#include "tests/support/FakeSettings.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakeSettings settings;
    SleepVeto veto(settings, [] { return std::optional<double>(); });
    QObject::connect(&veto, &SleepVeto::attached, &app,
                     [](bool attached) { QCoreApplication::exit(attached ? 0 : 1); });
    veto.attach();
    return app.exec();
}
