#include "ui/ProgressDlgController.h"

#include "ui/DialogPlacement.h"
#include "ui/LevelIndicator.h"
#include "ui/ModalSession.h"
#include "ui/UiTexts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

namespace {
constexpr int kCountStart = 10;
constexpr double kWarningValue = 7.0;
constexpr double kCriticalValue = 8.0;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

ProgressDlgController::ProgressDlgController(QObject* parent)
    : QObject(parent), now(steadySeconds) {
    buildWindow();
}

ProgressDlgController::~ProgressDlgController() {
    delete m_window;
}

void ProgressDlgController::buildWindow() {
    m_window = new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint);
    m_window->setObjectName(QStringLiteral("ProgressDlgWindow"));
    m_window->installEventFilter(this);

    auto* icon = new QLabel(m_window);
    int const iconSize = m_window->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(m_window->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_txtMsg = new QLabel(m_window);
    m_txtMsg->setWordWrap(true);
    m_txtMsg->setMinimumWidth(340);
    m_txtMsg->setMaximumWidth(380);
    m_txtMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_txtMsg->setTextFormat(Qt::PlainText);

    m_txtCountDownMsg = new QLabel(m_window);
    QFont bold = m_txtCountDownMsg->font();
    bold.setBold(true);
    m_txtCountDownMsg->setFont(bold);

    m_Progress = new LevelIndicator(m_window);
    m_Progress->setRange(0, kCountStart);
    m_Progress->setValue(0);

    auto* buttons = new QDialogButtonBox(m_window);
    m_btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_btnOK->setDefault(true);

    auto* text = new QVBoxLayout;
    text->setSpacing(10);
    text->addWidget(m_txtMsg);
    text->addWidget(m_txtCountDownMsg);
    text->addWidget(m_Progress);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* layout = new QVBoxLayout(m_window);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_btnOK, &QPushButton::clicked, this, [this] { OnOK(m_btnOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { OnCancel(m_btnCancel); });
}

void ProgressDlgController::awakeFromNib() {
    m_iCount = kCountStart;
    m_Progress->setEnabled(false); // shows the time; the user cannot move it
}

void ProgressDlgController::setMessage(QString const& message) {
    strMessage = message;
}

void ProgressDlgController::showCount() {
    //% "Exiting in %1 s."
    m_txtCountDownMsg->setText(qtTrId("IDS_PROGCOUNT_SHUTDOWN").arg(m_iCount));
}

bool ProgressDlgController::DoModal(QWidget* parent) {
    m_window->setWindowTitle(AppTitle());
    //% "OK"
    m_btnOK->setText(qtTrId("IDS_BUTTON_OK"));
    //% "Cancel"
    m_btnCancel->setText(qtTrId("IDS_BUTTON_CANCEL"));
    if (parent != nullptr && m_window->parentWidget() != parent) {
        m_window->setParent(parent, m_window->windowFlags());
    }

    m_iCount = kCountStart;
    m_Progress->setRange(0, kCountStart);
    m_Progress->setValue(0);
    m_Progress->clearThresholds(); // a new run starts in the normal colour
    m_txtMsg->setText(strMessage);
    showCount(); // not the last run's final line while the first pass is pending

    PlaceDialogOverParent(m_window, parent);

    int result = ModalSession::kRunContinuesResponse;
    {
        ModalSession session(m_window);
        m_btnOK->setFocus();
        double const start = now();
        for (;;) {
            // Waits for events up to the poll interval, so the loop does not spin.
            result = session.runModalSession(m_pollMs);
            if (result != ModalSession::kRunContinuesResponse) {
                break;
            }
            if (m_iCount == 4 || m_iCount == 5) {
                m_Progress->setWarningValue(kWarningValue);
            } else if (m_iCount <= 3) {
                m_Progress->setCriticalValue(kCriticalValue);
            }
            double const elapsed = std::trunc(now() - start);
            if (elapsed > kCountStart - m_iCount) {
                if (m_iCount > 0) {
                    showCount();
                    m_Progress->setValue(kCountStart - m_iCount);
                    --m_iCount;
                } else {
                    ModalSession::stopModalWithCode(1); // ran out: as if confirmed
                }
            } else {
                showCount();
                m_Progress->setValue(kCountStart - m_iCount);
            }
        }
    }

    m_window->hide();
    return result == 1;
}

void ProgressDlgController::OnOK(QObject* /*sender*/) {
    ModalSession::stopModalWithCode(1);
}

void ProgressDlgController::OnCancel(QObject* /*sender*/) {
    ModalSession::stopModalWithCode(0);
}

bool ProgressDlgController::windowShouldClose(QObject* /*sender*/) {
    ModalSession::stopModalWithCode(0);
    return true;
}

bool ProgressDlgController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        // The run ends its window with hide(), so a close request comes from the close box.
        if (event->type() == QEvent::Close) {
            if (m_window->isVisible()) {
                windowShouldClose(m_window);
            }
            return false; // and the window closes
        }
        // Esc would only hide the window and leave the countdown running to a confirmation.
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            OnCancel(m_window);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
