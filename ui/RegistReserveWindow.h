// The reservation dialog's window. Only its own two buttons end a run: it has no close
// box, refuses to be closed by the window manager, and Escape means its cancel button.
// Ctrl+Return registers from anywhere; plain Return registers through the default button,
// except on the focused Cancel button, which it presses.
#pragma once

#include <QDialog>

class RegistReserveWindow : public QDialog {
    Q_OBJECT
public:
    explicit RegistReserveWindow(QWidget* parent = nullptr);

    // Escape (and anything else that rejects a dialog) asks for the cancel button.
    void reject() override;
    // Nothing outside the dialog's buttons may accept it either.
    void accept() override {}

signals:
    void cancelRequested();
    void registerRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
};
