#include "ui/ExitCountdownDialog.h"

#include "ui/DialogPlacement.h"
#include "ui/LevelIndicator.h"
#include "ui/ModalSession.h"
#include "ui/UiTexts.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

namespace {
constexpr double kWarningValue = 7.0;
constexpr double kCriticalValue = 8.0;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

ExitCountdownDialog::ExitCountdownDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_now(steadySeconds) {
    setObjectName(QStringLiteral("ExitCountdownDialog"));

    auto* icon = new QLabel(this);
    int const iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setAccessibleName(qtTrId("IDS_A11Y_WARNING"));

    m_messageLabel = new QLabel(this);

    m_messageLabel->setObjectName(QStringLiteral("message"));
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setMinimumWidth(340);
    m_messageLabel->setMaximumWidth(380);
    m_messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_messageLabel->setTextFormat(Qt::PlainText);

    m_countLabel = new QLabel(this);

    m_countLabel->setObjectName(QStringLiteral("countdown"));
    QFont bold = m_countLabel->font();
    bold.setBold(true);
    m_countLabel->setFont(bold);

    m_level = new LevelIndicator(this);

    m_level->setObjectName(QStringLiteral("level"));
    //% "Time left"
    m_level->setAccessibleName(qtTrId("IDS_A11Y_TIME_LEFT"));
    m_level->setRange(0, kCountStart);
    m_level->setValue(0);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_ok->setDefault(true);

    auto* text = new QVBoxLayout;
    text->setSpacing(10);
    text->addWidget(m_messageLabel);
    text->addWidget(m_countLabel);
    text->addWidget(m_level);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, &ExitCountdownDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &ExitCountdownDialog::reject);
    m_level->setEnabled(false); // shows the time; the user cannot move it
}

void ExitCountdownDialog::showCount() {
    //% "Exiting in %1 s."
    QString const text = qtTrId("IDS_PROGCOUNT_SHUTDOWN").arg(m_count);
    if (text == m_countLabel->text()) {
        return;
    }
    m_countLabel->setText(text);
    // The seconds are heard on the focused button: a reader announces a new description of
    // the focus.
    for (QWidget* shown : {static_cast<QWidget*>(m_level), static_cast<QWidget*>(m_ok),
                           static_cast<QWidget*>(m_cancel)}) {
        shown->setAccessibleDescription(text);
    }
}

int ExitCountdownDialog::exec() {
    setWindowTitle(appTitle());
    //% "OK"
    m_ok->setText(qtTrId("IDS_BUTTON_OK"));
    //% "Cancel"
    m_cancel->setText(qtTrId("IDS_BUTTON_CANCEL"));

    m_count = kCountStart;
    m_level->setRange(0, kCountStart);
    m_level->setValue(0);
    m_level->clearThresholds(); // a new run starts in the normal colour
    m_messageLabel->setText(m_message);
    setAccessibleDescription(m_message);
    showCount(); // not the last run's final line while the first pass is pending

    placeDialogOverParent(this, parentWidget());

    int result = ModalSession::kContinues;
    {
        ModalSession session(this);
        m_ok->setFocus();
        double const start = m_now();
        for (;;) {
            // Waits for events up to the poll interval, so the loop does not spin.
            result = session.poll(m_pollMs);
            if (result != ModalSession::kContinues) {
                break;
            }
            if (m_count == 4 || m_count == 5) {
                m_level->setWarningValue(kWarningValue);
            } else if (m_count <= 3) {
                m_level->setCriticalValue(kCriticalValue);
            }
            double const elapsed = std::trunc(m_now() - start);
            if (elapsed > kCountStart - m_count) {
                if (m_count > 0) {
                    showCount();
                    m_level->setValue(kCountStart - m_count);
                    --m_count;
                } else {
                    ModalSession::stopWithCode(Accepted); // ran out: as if confirmed
                }
            } else {
                showCount();
                m_level->setValue(kCountStart - m_count);
            }
        }
    }

    hide();
    int const answer = result == Accepted ? Accepted : Rejected;
    setResult(answer);
    return answer;
}

void ExitCountdownDialog::accept() {
    ModalSession::stopWithCode(Accepted);
}

void ExitCountdownDialog::reject() {
    ModalSession::stopWithCode(Rejected);
}

void ExitCountdownDialog::closeEvent(QCloseEvent* event) {
    // The run ends its window with hide(), so a close request comes from the close box.
    if (isVisible()) {
        ModalSession::stopWithCode(Rejected);
    }
    QWidget::closeEvent(event); // and the window closes
}
