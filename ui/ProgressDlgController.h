// The countdown confirmation dialog: a message, ten seconds counted down, OK and Cancel.
// Without an answer it confirms when the countdown runs out.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class LevelIndicator;

class ProgressDlgController : public QObject {
    Q_OBJECT
public:
    explicit ProgressDlgController(QObject* parent = nullptr);
    ~ProgressDlgController() override;

    // Resets the count and makes the indicator read-only.
    void awakeFromNib();
    // The message for the next run (a copy is kept).
    void setMessage(QString const& message);
    // Runs the countdown over parent: true on OK or when the countdown runs out, false on
    // Cancel or the close box.
    bool DoModal(QWidget* parent);

    void OnOK(QObject* sender);
    void OnCancel(QObject* sender);
    bool windowShouldClose(QObject* sender);

    // Guarded: once shown over the main window the dialog is that window's child, and
    // may be destroyed with it before this controller.
    QPointer<QDialog> m_window;
    QLabel* m_txtMsg = nullptr;
    QLabel* m_txtCountDownMsg = nullptr;
    LevelIndicator* m_Progress = nullptr;
    QString strMessage;
    int m_iCount = 10;

    // The dialog's two buttons (tests click them).
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;

    // Seconds on a monotonic clock; tests put a virtual clock here.
    std::function<double()> now;
    // How long one pass of the countdown waits for events, in milliseconds.
    int m_pollMs = 50;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void showCount();
};
