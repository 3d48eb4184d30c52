// The countdown that confirms an exit: a message, ten seconds counted down, OK and Cancel.
// Without an answer it confirms when the countdown runs out.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class LevelIndicator;

class ExitCountdownDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCountStart = 10;

    explicit ExitCountdownDialog(QWidget* parent = nullptr);

    // The message for the next run.
    void setMessage(QString const& message) { m_message = message; }
    // Runs the countdown: Accepted on OK or when the countdown runs out, Rejected on Cancel
    // or the close box.
    int exec() override;

    // Seconds still to count in the run under way.
    int count() const { return m_count; }
    // Seconds on a monotonic clock; tests put a virtual clock here.
    void setClock(std::function<double()> now) { m_now = std::move(now); }
    // How long one pass of the countdown waits for events, in milliseconds.
    void setPollInterval(int milliseconds) { m_pollMs = milliseconds; }

public slots:
    void accept() override;
    // Escape and Cancel.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showCount();

    QLabel* m_messageLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    LevelIndicator* m_level = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_message;
    int m_count = kCountStart;
    std::function<double()> m_now;
    int m_pollMs = 50;
};
