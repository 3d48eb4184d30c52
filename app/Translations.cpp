#include "app/Translations.h"

#include "ui/BroadcastTimes.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

bool desktopWantsJapanese() {
    for (QString const& language : QLocale::system().uiLanguages()) {
        if (language.startsWith(QLatin1String("ja"))) {
            return true;
        }
        if (language.startsWith(QLatin1String("en"))) {
            return false;
        }
    }
    return false;
}

void installTranslators(QCoreApplication& app) {
    bool const japanese = desktopWantsJapanese();
    // Japanese programme guides write late-night times as 24:00-29:59 of the day before.
    setLateNightHoursDefault(japanese);
    auto* texts = new QTranslator(&app);
    if (texts->load(japanese ? QStringLiteral(":/i18n/resvman_ja.qm")
                             : QStringLiteral(":/i18n/resvman_en.qm"))) {
        QCoreApplication::installTranslator(texts);
    }
    // The toolkit's own texts (standard context menus and the like), where installed.
    auto* toolkit = new QTranslator(&app);
    if (toolkit->load(QLocale(japanese ? QLocale::Japanese : QLocale::English),
                      QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(toolkit);
    }
}
