#include "ui/ShutdownWarning.h"

#include "platform/IDesktopNotifier.h"
#include "ui/LevelIndicator.h"
#include "ui/UiTexts.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
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

double wallClock() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

QString cancelText() {
    //% "Cancel shutdown"
    return qtTrId("IDS_CANCEL_SHUTDOWN");
}

} // namespace

ShutdownWarning::ShutdownWarning(IDesktopNotifier* notifier, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_notifier(notifier), m_now(wallClock) {
    m_armTimer.setSingleShot(true);
    connect(&m_armTimer, &QTimer::timeout, this, [this] { schedule(); });
    m_tickTimer.setInterval(250);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { tick(); });
    buildControls();
}

ShutdownWarning::~ShutdownWarning() {
    withdraw();
}

void ShutdownWarning::buildControls() {
    setObjectName(QStringLiteral("ShutdownWarningWindow"));

    auto* icon = new QLabel(this);
    int const iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setAccessibleName(qtTrId("IDS_A11Y_WARNING"));

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    m_message->setMinimumWidth(340);
    m_message->setMaximumWidth(380);
    m_message->setTextFormat(Qt::PlainText);
    QFont bold = m_message->font();
    bold.setBold(true);
    m_message->setFont(bold);

    m_level = new LevelIndicator(this);
    m_level->setRange(0, kWarnSeconds);
    m_level->setEnabled(false); // shows the time; nothing to move
    m_level->setWarningValue(kWarnSeconds - 20);
    m_level->setAccessibleName(qtTrId("IDS_A11Y_TIME_LEFT"));
    m_level->setCriticalValue(kWarnSeconds - 10);

    auto* buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(cancelText(), QDialogButtonBox::RejectRole);
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &ShutdownWarning::cancelShutdown);

    auto* text = new QVBoxLayout;
    text->setSpacing(10);
    text->addWidget(m_message);
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
}

void ShutdownWarning::arm(std::optional<double> shutdownAt) {
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
    double const wait = *m_at - kWarnSeconds - m_now();
    if (wait <= 0.0) {
        if (m_now() < *m_at) {
            warn(); // planned, or the program started, within the last minute
        }
        return;
    }
    m_armTimer.start(static_cast<int>(std::ceil(std::min(wait, kLongestWaitSeconds) * 1000.0)));
}

void ShutdownWarning::warn() {
    if (!m_at || m_warning) {
        return;
    }
    if (!m_userActive) {
        showWarning();
        return;
    }
    int const asking = ++m_asking;
    QPointer<ShutdownWarning> self(this);
    m_userActive([self, asking](bool active) {
        if (self && active && self->m_asking == asking) {
            self->showWarning();
        }
    });
}

void ShutdownWarning::showWarning() {
    if (!m_at || m_warning || m_now() >= *m_at) {
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
        notification.actions = {{kCancelAction, cancelText().toStdString()}};
        notification.critical = true;
        QPointer<ShutdownWarning> self(this);
        notification.onAction = [self](std::string const& key) {
            if (self && key == kCancelAction) {
                self->cancelShutdown();
            }
        };
        m_notification = m_notifier->notify(notification);
    }
    setWindowTitle(appTitle());
    m_cancel->setText(cancelText());
    tick();
    show();
    raise();
    activateWindow();
    m_tickTimer.start();
}

void ShutdownWarning::tick() {
    if (!m_at) {
        return;
    }
    double const left = std::ceil(*m_at - m_now());
    if (left <= 0.0) {
        withdraw(); // the timer powers the machine off now
        return;
    }
    int const seconds = static_cast<int>(std::min<double>(left, kWarnSeconds));
    //% "The computer will shut down in %1 s."
    QString const text = qtTrId("IDS_SHUTDOWN_COUNTDOWN").arg(seconds);
    m_message->setText(text);
    m_level->setValue(kWarnSeconds - seconds);
    // Heard on the focused button: every ten seconds, then each of the last ten, so that a
    // reader is not talking all minute long.
    if ((seconds <= 10 || seconds % 10 == 0) && m_cancel->accessibleDescription() != text) {
        m_cancel->setAccessibleDescription(text);
        m_level->setAccessibleDescription(text);
    }
}

void ShutdownWarning::cancelShutdown() {
    if (!m_at) {
        return;
    }
    double const at = *m_at;
    withdraw();
    m_at.reset();
    ++m_asking;
    m_armTimer.stop();
    emit cancelled(at);
}

void ShutdownWarning::withdraw() {
    m_warning = false;
    m_tickTimer.stop();
    hide();
    if (m_notification != 0 && m_notifier != nullptr) {
        m_notifier->close(m_notification);
    }
    m_notification = 0;
}
