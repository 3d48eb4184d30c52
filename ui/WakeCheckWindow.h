// Settings → Check wake-up…: whether this computer will wake for its recordings, each check
// with its verdict, what it found and what to do, and the test wake-up. The facts are read on
// a thread of its own (the probe may wait for the helper and a password), the test runs
// through TestWakeUp: the window never waits on an outside call.
#pragma once

#include "engine/WakeCheck.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <thread>
#include <vector>

class IRecordingJournal;
class QGridLayout;
class QLabel;
class QPushButton;
class TestWakeUp;

class WakeCheckWindow : public QDialog {
    Q_OBJECT
public:
    // reader gathers the facts; it runs off the main thread, one read at a time.
    explicit WakeCheckWindow(std::function<WakeFacts()> reader, QWidget* parent = nullptr);
    ~WakeCheckWindow() override; // waits for a read under way

    // The test wake-up; null: no test button. Not owned.
    void setTestWakeUp(TestWakeUp* test);
    // Where a test's outcome is kept; null: nowhere. Not owned.
    void setJournal(IRecordingJournal* journal) { m_journal = journal; }
    // Today's time, for a test that ended without a resume.
    void setNow(std::function<double()> now) { m_now = std::move(now); }

    // Shows the window and starts a check.
    void openAndCheck();
    // Starts a check unless one runs.
    void check();
    bool checking() const { return m_checking; }
    std::vector<WakeFinding> const& findings() const { return m_findings; }
    QString testText() const;

signals:
    // A check's findings are shown.
    void checked();
    // A test wake-up ended; its words are shown.
    void testShown();

private slots:
    void startTest();

private:
    void showFacts(WakeFacts const& facts);
    void testPlanned(double instant);
    void testFinished(TestWakeResult const& result);
    void retranslate();
    void updateButtons();

    std::function<WakeFacts()> m_reader;
    std::function<double()> m_now;
    TestWakeUp* m_test = nullptr;
    IRecordingJournal* m_journal = nullptr;
    std::thread m_thread;
    bool m_checking = false;
    std::vector<WakeFinding> m_findings;

    QLabel* m_summary = nullptr;
    QWidget* m_rows = nullptr;
    QGridLayout* m_grid = nullptr;
    QLabel* m_testResult = nullptr;
    QPushButton* m_again = nullptr;
    QPushButton* m_testButton = nullptr;
    QPushButton* m_close = nullptr;
};
