// The main window over the engine's fakes, for the tests of what it does with the list:
// adding rows, selecting them, and what the reservation file holds afterwards.
#pragma once

#include "store/ReservationFile.h"
#include "ui/MainWindow.h"
#include "ui/ReservationTableView.h"

#include "tests/support/FakeEngineServices.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTranslator>
#include <QtTest>

#include <filesystem>
#include <memory>

class MainWindowFixture {
protected:
    std::unique_ptr<FakeEngineServices> m_fakes;
    std::unique_ptr<MainWindow> m_window;
    QTranslator m_translator;

    // journal: may be null. The list is read (from a file that is not there yet).
    void makeWindow(double now, IRecordingJournal* journal = nullptr) {
        closeWindow();
        m_fakes = std::make_unique<FakeEngineServices>(now);
        RecordingEngine::Services services = m_fakes->services();
        services.journal = journal;
        m_window = std::make_unique<MainWindow>(services);
        m_window->engine().load();
    }
    void closeWindow() {
        if (m_fakes) {
            m_fakes->clock.setAutoAdvance(true); // lets a sleeping watch thread see its stop
        }
        m_window.reset();
        m_fakes.reset();
    }
    void useLanguage(char const* file) {
        QCoreApplication::removeTranslator(&m_translator);
        QVERIFY(m_translator.load(QString::fromLatin1(file)));
        QCoreApplication::installTranslator(&m_translator);
    }

    RecordingEngine& engine() { return m_window->engine(); }
    ReservationList& list() { return m_window->engine().list(); }
    std::string filePath() { return m_window->engine().reservationFilePath(); }
    void add(Reservation const& rec) {
        CheckResult result;
        QVERIFY(list().add(rec, result, true));
    }
    void select(QList<int> const& rows) {
        QItemSelectionModel* selection = m_window->table()->selectionModel();
        selection->clearSelection();
        for (int row : rows) {
            selection->select(m_window->table()->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    static QStringList titlesOf(ReservationList const& list) {
        QStringList out;
        Reservation rec;
        for (int i = 0; list.readAt(i, rec); ++i) {
            out << QString::fromUtf8(rec.title);
        }
        return out;
    }
    QStringList titles() { return titlesOf(list()); }
    // Titles in the reservation file; "missing" when there is no file.
    QStringList savedTitles() {
        if (!std::filesystem::exists(filePath())) {
            return {QStringLiteral("missing")};
        }
        ReservationList saved;
        ReservationFile(filePath()).load(saved);
        return titlesOf(saved);
    }
};
