#include "ui/ShutdownWarning.h"

#include "platform/IDesktopNotifier.h"
#include "ui/LevelIndicator.h"
#include "ui/UiTexts.h"

#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

constexpr char const* kCancelAction = "cancel-shutdown";
// Long waits are taken in steps, so that a changed wall clock is noticed in time.
constexpr double kLongestWaitSeconds = 600.0;

double WallClock() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

QString CancelText() {
    //% "Cancel shutdown"
    return qtTrId("IDS_CANCEL_SHUTDOWN");
}

} // namespace

ShutdownWarning::ShutdownWarning(IDesktopNotifier* notifier,
                                 std::function<void(double)> cancelShutdown, QObject* parent)
    : QObject(parent), now(WallClock), m_notifier(notifier),
      m_cancelShutdown(std::move(cancelShutdown)) {
    m_armTimer.setSingleShot(true);
    connect(&m_armTimer, &QTimer::timeout, this, [this] { schedule(); });
    m_tickTimer.setInterval(250);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { tick(); });
    buildWindow();
}

ShutdownWarning::~ShutdownWarning() {
    withdraw();
    delete m_window;
}

void ShutdownWarning::buildWindow() {
    m_window = new QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    m_window->setObjectName(QStringLiteral("ShutdownWarningWindow"));

    auto* icon = new QLabel(m_window);
    int const iconSize = m_window->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(m_window->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_txtMsg = new QLabel(m_window);
    m_txtMsg->setObjectName(QStringLiteral("message"));
    m_txtMsg->setWordWrap(true);
    m_txtMsg->setMinimumWidth(340);
    m_txtMsg->setMaximumWidth(380);
    m_txtMsg->setTextFormat(Qt::PlainText);
    QFont bold = m_txtMsg->font();
    bold.setBold(true);
    m_txtMsg->setFont(bold);

    m_level = new LevelIndicator(m_window);
    m_level->setRange(0, kWarnSeconds);
    m_level->setEnabled(false); // shows the time; nothing to move
    m_level->setWarningValue(kWarnSeconds - 20);
    m_level->setCriticalValue(kWarnSeconds - 10);

    auto* buttons = new QDialogButtonBox(m_window);
    m_btnCancel = buttons->addButton(CancelText(), QDialogButtonBox::RejectRole);
    m_btnCancel->setDefault(true);
    connect(m_btnCancel, &QPushButton::clicked, this, &ShutdownWarning::OnCancelShutdown);

    auto* text = new QVBoxLayout;
    text->setSpacing(10);
    text->addWidget(m_txtMsg);
    text->addWidget(m_level);
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(m_window);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShutdownWarning::Arm(std::optional<double> shutdownAt) {
    if (shutdownAt == m_at) {
        return; // the same shutdown, planned again: a warning on show stays
    }
    withdraw();
    m_at = shutdownAt;
    ++m_asking; // answers about an earlier instant no longer count
    schedule();
}

void ShutdownWarning::schedule() {
    m_armTimer.stop();
    if (!m_at || m_warning) {
        return;
    }
    double const wait = *m_at - kWarnSeconds - now();
    if (wait <= 0.0) {
        if (now() < *m_at) {
            Warn(); // planned, or the program started, within the last minute
        }
        return;
    }
    m_armTimer.start(static_cast<int>(std::ceil(std::min(wait, kLongestWaitSeconds) * 1000.0)));
}

void ShutdownWarning::Warn() {
    if (!m_at || m_warning) {
        return;
    }
    if (!userActive) {
        show();
        return;
    }
    int const asking = ++m_asking;
    QPointer<ShutdownWarning> self(this);
    userActive([self, asking](bool active) {
        if (self && active && self->m_asking == asking) {
            self->show();
        }
    });
}

void ShutdownWarning::show() {
    if (!m_at || m_warning || now() >= *m_at) {
        return;
    }
    m_warning = true;
    if (m_notifier != nullptr) {
        DesktopNotification notification;
        //% "The computer will shut down soon"
        notification.summary = qtTrId("IDS_SHUTDOWN_SOON_TITLE").toStdString();
        QString const at = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::ceil(*m_at)))
                               .toString(QStringLiteral("HH:mm:ss"));
        //% "After the last recording, the computer shuts down at %1."
        notification.body = qtTrId("IDS_SHUTDOWN_SOON_BODY").arg(at).toStdString();
        notification.actions = {{kCancelAction, CancelText().toStdString()}};
        notification.critical = true;
        QPointer<ShutdownWarning> self(this);
        notification.onAction = [self](std::string const& key) {
            if (self && key == kCancelAction) {
                self->OnCancelShutdown();
            }
        };
        m_notification = m_notifier->notify(notification);
    }
    m_window->setWindowTitle(AppTitle());
    m_btnCancel->setText(CancelText());
    tick();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_tickTimer.start();
}

void ShutdownWarning::tick() {
    if (!m_at) {
        return;
    }
    double const left = std::ceil(*m_at - now());
    if (left <= 0.0) {
        withdraw(); // the timer powers the machine off now
        return;
    }
    int const seconds = static_cast<int>(std::min<double>(left, kWarnSeconds));
    //% "The computer will shut down in %1 s."
    m_txtMsg->setText(qtTrId("IDS_SHUTDOWN_COUNTDOWN").arg(seconds));
    m_level->setValue(kWarnSeconds - seconds);
}

void ShutdownWarning::OnCancelShutdown() {
    if (!m_at) {
        return;
    }
    double const at = *m_at;
    withdraw();
    m_at.reset();
    ++m_asking;
    m_armTimer.stop();
    if (m_cancelShutdown) {
        m_cancelShutdown(at);
    }
    emit cancelled(at);
}

void ShutdownWarning::withdraw() {
    m_warning = false;
    m_tickTimer.stop();
    if (m_window) {
        m_window->hide();
    }
    if (m_notification != 0 && m_notifier != nullptr) {
        m_notifier->close(m_notification);
    }
    m_notification = 0;
}
