#include "ui/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
// The rule is stated with the origin at the screen's bottom left and y growing upward, in
// single precision; these rectangles are in that frame.
struct UpRect {
    float x, y, w, h;
};

UpRect toUp(QRect const& r, int base) {
    return {float(r.x()), float(base - (r.y() + r.height())), float(r.width()), float(r.height())};
}

bool containsRect(UpRect const& a, UpRect const& b) {
    return b.w > 0 && b.h > 0 && b.x >= a.x && b.y >= a.y && b.x + b.w <= a.x + a.w &&
           b.y + b.h <= a.y + a.h;
}
} // namespace

QPoint dialogPlacementOrigin(QRect const& screen, QRect const& parentFrame,
                             QRect const& parentContent, QSize const& dialog) {
    int const base = screen.y() + screen.height();
    UpRect const S = toUp(screen, base);
    UpRect const P = toUp(parentFrame, base);
    UpRect const C = toUp(parentContent, base);
    float const dw = float(dialog.width());
    float const dh = float(dialog.height());

    float x = C.x;
    float y = C.y + C.h - dh;
    if (!containsRect(S, {P.x, P.y, dw, dh})) {
        if (S.x > P.x) {
            x = S.x;
        } else if (P.x + dw > S.x + S.w) {
            x = S.x + S.w - dw;
        }
        if (S.y > P.y) {
            y = S.y;
        } else if (P.y + dh > S.y + S.h) {
            y = S.y + S.h - dh; // would reach above the screen: its top meets the top
        }
    }
    // Whatever the parent's shape, the dialog opens wholly on the screen when it fits.
    x = std::clamp(x, S.x, std::max(S.x, S.x + S.w - dw));
    y = std::clamp(y, S.y, std::max(S.y, S.y + S.h - dh));

    int const left = int(x);
    int const top = base - (int(y) + dialog.height());
    return {left, top};
}

void placeDialogOverParent(QWidget* dialog, QWidget* parent) {
    if (dialog == nullptr) {
        return;
    }
    dialog->adjustSize();
    QSize size = dialog->frameGeometry().size();
    if (!dialog->isVisible()) {
        size = dialog->size(); // no frame known yet: the window manager adds it later
    }
    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    if (parent == nullptr) {
        QRect const s = screen->geometry();
        dialog->move(s.center() - QPoint(size.width() / 2, size.height() / 2));
        return;
    }
    dialog->move(dialogPlacementOrigin(screen->geometry(), parent->frameGeometry(),
                                       parent->geometry(), size));
}
