// Where a modal dialog opens over its parent window: its top-left corner on the top-left
// corner of the parent's content area, moved onto the screen when the parent reaches past
// an edge of it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// All rectangles in Qt's global coordinates (y grows downward). screen: the full frame of
// the screen that shows the parent; parentFrame: the parent's frame; parentContent: its
// content area; dialog: the dialog's frame size. Answers the dialog frame's top-left corner.
QPoint dialogPlacementOrigin(QRect const& screen, QRect const& parentFrame,
                             QRect const& parentContent, QSize const& dialog);

// Moves dialog (a top-level window) over parent by the rule above.
void placeDialogOverParent(QWidget* dialog, QWidget* parent);
