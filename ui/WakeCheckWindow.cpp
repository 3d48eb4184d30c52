#include "ui/WakeCheckWindow.h"

#include "history/IRecordingJournal.h"
#include "platform/linux/TestWakeUp.h"
#include "ui/DialogPlacement.h"
#include "ui/HistoryTexts.h"
#include "ui/MessageBox.h"
#include "ui/WakeCheckTexts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <ctime>

namespace {

QLabel* wrappedLabel(QString const& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A sign that reads without colour too, and the colour for those who see it.
QString verdictSign(WakeVerdict verdict) {
    switch (verdict) {
    case WakeVerdict::Fine:
        return QStringLiteral("✔");
    case WakeVerdict::Warning:
        return QStringLiteral("⚠");
    case WakeVerdict::Problem:
        return QStringLiteral("✖");
    }
    return QString();
}

QString verdictColour(WakeVerdict verdict) {
    switch (verdict) {
    case WakeVerdict::Fine:
        return QStringLiteral("#1e7b34");
    case WakeVerdict::Warning:
        return QStringLiteral("#9a6700");
    case WakeVerdict::Problem:
        return QStringLiteral("#c0262d");
    }
    return QString();
}

} // namespace

WakeCheckWindow::WakeCheckWindow(std::function<WakeFacts()> reader, QWidget* parent)
    : QDialog(parent), m_reader(std::move(reader)),
      m_now([] { return static_cast<double>(std::time(nullptr)); }) {
    setObjectName(QStringLiteral("WakeCheckWindow"));
    setWindowModality(Qt::ApplicationModal);

    m_summary = wrappedLabel(QString(), this);
    m_summary->setObjectName(QStringLiteral("summary"));

    m_rows = new QWidget;
    m_rows->setObjectName(QStringLiteral("findings"));
    m_grid = new QGridLayout(m_rows);
    m_grid->setColumnStretch(2, 1);
    m_grid->setHorizontalSpacing(10);
    m_grid->setVerticalSpacing(8);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_rows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // Room for every check without scrolling in either language; the placement shrinks the
    // window to its layout's wish.
    scroll->setMinimumSize(620, 440);

    m_testResult = wrappedLabel(QString(), this);
    m_testResult->setObjectName(QStringLiteral("testResult"));
    m_testResult->hide();

    auto* buttons = new QDialogButtonBox(this);
    m_testButton = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    m_testButton->setObjectName(QStringLiteral("testWakeUp"));
    m_testButton->setAutoDefault(false);
    m_testButton->hide();
    m_again = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    m_again->setObjectName(QStringLiteral("checkAgain"));
    m_again->setAutoDefault(false);
    m_close = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(scroll, 1);
    layout->addWidget(m_testResult);
    layout->addWidget(buttons);

    connect(m_again, &QPushButton::clicked, this, &WakeCheckWindow::check);
    connect(m_testButton, &QPushButton::clicked, this, &WakeCheckWindow::startTest);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    retranslate();
}

WakeCheckWindow::~WakeCheckWindow() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void WakeCheckWindow::retranslate() {
    //% "Check Wake-up"
    setWindowTitle(qtTrId("IDS_WAKECHECK_TITLE"));
    //% "Test wake-up now…"
    m_testButton->setText(qtTrId("IDS_WAKECHECK_TEST_BUTTON"));
    //% "Check again"
    m_again->setText(qtTrId("IDS_WAKECHECK_AGAIN"));
    //% "Close"
    m_close->setText(qtTrId("IDS_BUTTON_CLOSE"));
}

void WakeCheckWindow::setTestWakeUp(TestWakeUp* test) {
    m_test = test;
    m_testButton->setVisible(test != nullptr);
    if (test != nullptr) {
        connect(test, &TestWakeUp::planned, this, &WakeCheckWindow::testPlanned);
        connect(test, &TestWakeUp::asleep, this, [this] {
            //% "Going to sleep. Do not touch the computer: it should wake by itself."
            m_testResult->setText(qtTrId("IDS_WAKECHECK_TEST_ASLEEP"));
        });
        connect(test, &TestWakeUp::finished, this, &WakeCheckWindow::testFinished);
    }
}

void WakeCheckWindow::openAndCheck() {
    retranslate();
    if (!isVisible()) {
        placeDialogOverParent(this, parentWidget());
        show();
    }
    raise();
    activateWindow();
    check();
}

void WakeCheckWindow::check() {
    if (m_checking) {
        return;
    }
    if (m_thread.joinable()) {
        m_thread.join(); // finished: its answer came before this check
    }
    m_checking = true;
    updateButtons();
    //% "Checking… (the administrator password may be asked for, to try the clock alarm)"
    m_summary->setText(qtTrId("IDS_WAKECHECK_CHECKING"));
    QPointer<WakeCheckWindow> self(this);
    std::function<WakeFacts()> const reader = m_reader;
    m_thread = std::thread([self, reader] {
        WakeFacts const facts = reader();
        QMetaObject::invokeMethod(
            self.data(),
            [self, facts] {
                if (self) {
                    self->showFacts(facts);
                }
            },
            Qt::QueuedConnection);
    });
}

void WakeCheckWindow::showFacts(WakeFacts const& facts) {
    m_checking = false;
    m_findings = WakeCheck::evaluate(facts);
    while (QLayoutItem* item = m_grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    int row = 0;
    int problems = 0;
    int warnings = 0;
    for (WakeFinding const& finding : m_findings) {
        problems += finding.verdict == WakeVerdict::Problem ? 1 : 0;
        warnings += finding.verdict == WakeVerdict::Warning ? 1 : 0;
        QString const verdict = WakeCheckTexts::verdictName(finding.verdict);
        auto* sign = new QLabel(verdictSign(finding.verdict), m_rows);
        sign->setStyleSheet(
            QStringLiteral("color: %1; font-weight: bold;").arg(verdictColour(finding.verdict)));
        sign->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        sign->setAccessibleName(verdict);
        auto* name = wrappedLabel(WakeCheckTexts::checkName(finding.check), m_rows);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        name->setAccessibleName(WakeCheckTexts::checkName(finding.check) + QStringLiteral(": ") +
                                verdict);
        name->setObjectName(QString::fromLatin1(WakeCheck::checkId(finding.check)));
        QString text = WakeCheckTexts::found(finding, facts);
        QString const advice = WakeCheckTexts::advice(finding);
        if (!advice.isEmpty()) {
            text += QStringLiteral("\n→ ") + advice;
        }
        auto* detail = wrappedLabel(text, m_rows);
        detail->setMinimumWidth(300);
        m_grid->addWidget(sign, row, 0);
        m_grid->addWidget(name, row, 1);
        m_grid->addWidget(detail, row, 2);
        ++row;
    }
    m_grid->setRowStretch(row, 1);
    if (problems > 0) {
        //% "This computer will not wake for its recordings as it is: %n problem(s) below."
        m_summary->setText(qtTrId("IDS_WAKECHECK_SUMMARY_PROBLEMS", problems));
    } else if (warnings > 0) {
        //% "This computer should wake for its recordings; %n point(s) below deserve a look. A "
        //% "test wake-up proves it."
        m_summary->setText(qtTrId("IDS_WAKECHECK_SUMMARY_WARNINGS", warnings));
    } else {
        //% "This computer should wake for its recordings. A test wake-up proves it."
        m_summary->setText(qtTrId("IDS_WAKECHECK_SUMMARY_FINE"));
    }
    updateButtons();
    emit checked();
}

void WakeCheckWindow::updateButtons() {
    bool const testing = m_test != nullptr && m_test->running();
    // The button box shows its buttons as it lays them out: hidden here, after that.
    m_testButton->setVisible(m_test != nullptr);
    m_again->setEnabled(!m_checking && !testing);
    m_testButton->setEnabled(!m_checking && !testing);
}

void WakeCheckWindow::startTest() {
    if (m_test == nullptr || m_test->running()) {
        return;
    }
    //% "Test wake-up"
    QString const title = qtTrId("IDS_WAKECHECK_TEST_TITLE");
    //% "The computer will plan a wake-up two minutes from now and then go to sleep. Leave it "
    //% "alone: it should wake by itself. Unsaved work in other programs stays open.\n\nStart "
    //% "the test?"
    if (!MessageBox::confirm(this, title, qtTrId("IDS_WAKECHECK_TEST_CONFIRM"))) {
        return;
    }
    //% "Planning the test wake-up…"
    m_testResult->setText(qtTrId("IDS_WAKECHECK_TEST_PLANNING"));
    m_testResult->show();
    m_test->start();
    updateButtons();
}

void WakeCheckWindow::testPlanned(double instant) {
    //% "Wake-up planned for %1. Going to sleep…"
    m_testResult->setText(qtTrId("IDS_WAKECHECK_TEST_PLANNED").arg(historyTime(instant)));
}

void WakeCheckWindow::testFinished(TestWakeResult const& result) {
    double const now = m_now();
    if (m_journal != nullptr) {
        if (std::optional<JournalEntry> const entry = WakeCheck::testWakeEntry(result, now)) {
            m_journal->record(*entry);
        }
    }
    //% "Test wake-up: %1"
    m_testResult->setText(
        qtTrId("IDS_WAKECHECK_TEST_RESULT").arg(WakeCheckTexts::testResult(result, now)));
    m_testResult->show();
    updateButtons();
    emit testShown();
}

QString WakeCheckWindow::testText() const {
    return m_testResult->text();
}
