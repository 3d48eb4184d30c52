// Velto for Linux: runs a command of `velto` when given one; otherwise the recorder that
// the manager hands its reservations to, with its window or, without a display, on the
// session bus alone.
#include "cli/CommandLine.h"
#include "cli/StopSignals.h"
#include "gui/MainWindow.h"
#include "gui/VeltoService.h"
#include "platform/linux/BusTypes.h"
#include "sources/SourceFactory.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

namespace {

bool wantsJapanese() {
    for (const QString& language : QLocale::system().uiLanguages()) {
        if (language.startsWith(QLatin1String("ja")))
            return true;
        if (language.startsWith(QLatin1String("en")))
            return false;
    }
    return false;
}

void installTranslators(QCoreApplication& app) {
    const bool japanese = wantsJapanese();
    auto* texts = new QTranslator(&app);
    if (texts->load(japanese ? QStringLiteral(":/i18n/velto_ja.qm")
                             : QStringLiteral(":/i18n/velto_en.qm")))
        QCoreApplication::installTranslator(texts);
    auto* toolkit = new QTranslator(&app);
    if (toolkit->load(QLocale(japanese ? QLocale::Japanese : QLocale::English),
                      QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(toolkit);
}

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    registerBusTypes();
    const velto::SourceFactory sources;
    bool headless = argc == 2 && std::strcmp(argv[1], "--headless") == 0;
    if (argc > 1 && !headless) {
        if (const auto status = velto::runCommand(argc, argv, sources, std::cout, std::cerr))
            return *status;
        std::cerr << "velto: try velto --help\n";
        return 2;
    }
    headless = headless || !hasDisplay();

    // SIGTERM and SIGINT end the event loop, so that a recording ends with a finished file.
    // Made before any other thread, which all inherit the blocked signals.
    velto::StopSignals stopSignals([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
        else
            std::_Exit(0); // nothing is recorded before the application exists
    });
    std::unique_ptr<QCoreApplication> app;
    if (headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    QCoreApplication::setApplicationName(QStringLiteral("velto"));
    QCoreApplication::setOrganizationName(QStringLiteral("velto"));
    installTranslators(*app);

    velto::VeltoService service(sources, velto::VeltoSettings::load());
    if (const std::string& why = service.settings().stationsProblem; !why.empty())
        std::cerr << "velto: the stations table is not used: " << why << "\n";
    // Said here as well as in the window: without one (the wake case) it is seen nowhere else.
    for (const velto::RecordingReport& report : service.recovered()) {
        if (report.result == velto::RecordingResult::Partial)
            std::cerr << "velto: finished an interrupted recording: " << report.file << " ("
                      << int(report.seconds) << " s)\n";
        else
            std::cerr << "velto: an interrupted recording could not be finished: "
                      << report.reasonText << "\n";
    }
    switch (service.start()) {
    case velto::NameClaim::Owned:
        break;
    case velto::NameClaim::Taken:
        if (!velto::VeltoService::activateRunningCopy())
            std::cerr << "velto: another copy runs but did not answer.\n";
        return 0;
    case velto::NameClaim::NoBus:
        //% "Velto cannot reach the session bus, so the manager cannot hand it recordings."
        const QString text = qtTrId("IDS_NO_BUS");
        std::cerr << "velto: " << text.toStdString() << "\n";
        if (!headless)
            QMessageBox::critical(nullptr, qtTrId("IDS_APP_TITLE"), text);
        return 1;
    }
    QObject::connect(&service, &velto::VeltoService::quitRequested, app.get(),
                     &QCoreApplication::quit);
    if (headless)
        return app->exec();

    velto::MainWindow window(service);
    QObject::connect(&service, &velto::VeltoService::hideRequested, &window,
                     &velto::MainWindow::hideAsAsked);
    QObject::connect(&service, &velto::VeltoService::showRequested, &window,
                     &velto::MainWindow::showAsAsked);
    QObject::connect(&service, &velto::VeltoService::activated, &window,
                     &velto::MainWindow::showByUser);
    window.show();
    return app->exec();
}
