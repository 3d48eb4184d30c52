// The band above the reservation table that tells the user about a lasting problem: the
// reservation file could not be saved, wake-ups are not planned, and the like. Each kind of
// problem has one line, shown while it is set and gone once it is cleared; the band itself
// takes no room while it is empty.
#pragma once

#include <QString>
#include <QWidget>

#include <map>

class QLabel;
class QVBoxLayout;

// One line each, shown in this order.
enum class NoticeKind {
    DataFolder, // the reservations are kept somewhere else than the user expects
    SaveFailed, // the reservation file could not be written
    WakeHelper, // waking and shutting down are on, but the wake-up helper is not installed
    WakePlan,   // wake-ups or the shutdown could not be planned
    Journal,    // the recording history could not be kept
};

// Makes row a notification for screen readers, named text: read out when it is shown,
// whatever has the focus, and again when a shown row's text changes. Call it before the row is
// first shown.
void markAsNotice(QWidget* row, QString const& text);

class NoticeArea : public QWidget {
    Q_OBJECT
public:
    explicit NoticeArea(QWidget* parent = nullptr);

    // Shows text as the line of kind, replacing what that line said before.
    void showNotice(NoticeKind kind, QString const& text);
    void clearNotice(NoticeKind kind);

    bool hasNotice(NoticeKind kind) const { return m_lines.count(kind) != 0; }
    QString noticeText(NoticeKind kind) const;

private:
    QVBoxLayout* m_layout = nullptr;
    std::map<NoticeKind, QLabel*> m_lines; // the text label of each line shown
    std::map<NoticeKind, QWidget*> m_rows;
};
