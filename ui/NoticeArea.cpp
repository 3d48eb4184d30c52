#include "ui/NoticeArea.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kIconSize = 20;
constexpr char kNoticeProperty[] = "resvmanNotice";

QAccessibleInterface* noticeFactory(QString const& className, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(kNoticeProperty).toBool() ||
        className != QLatin1String(object->metaObject()->className())) {
        return nullptr;
    }
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
}
} // namespace

void markAsNotice(QWidget* row, QString const& text) {
    static bool const installed = [] {
        QAccessible::installFactory(noticeFactory);
        return true;
    }();
    Q_UNUSED(installed);
    row->setProperty(kNoticeProperty, true);
    if (row->accessibleName() == text) {
        return;
    }
    row->setAccessibleName(text);
    // Readers announce a notification when it shows; a new text on a shown one is news too.
    if (row->isVisible() && QAccessible::isActive()) {
        QAccessibleEvent shown(row, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

NoticeArea::NoticeArea(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("noticeArea"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(4);
    setVisible(false);
}

void NoticeArea::showNotice(NoticeKind kind, QString const& text) {
    if (auto const line = m_lines.find(kind); line != m_lines.end()) {
        line->second->setText(text);
        markAsNotice(m_rows[kind], text);
        return;
    }
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("noticeRow"));
    markAsNotice(row, text);
    row->setAttribute(Qt::WA_StyledBackground);
    // A warm band that reads as a warning in light and dark themes alike.
    row->setStyleSheet(
        QStringLiteral("#noticeRow { background: #fff4d6; border: 1px solid #e0b44c;"
                       " border-radius: 4px; } #noticeRow QLabel { color: #3d2e00; }"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(8);
    auto* icon = new QLabel(row);
    icon->setPixmap(
        QIcon(QStringLiteral(":/images/error3.icns")).pixmap(QSize(kIconSize, kIconSize)));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    //% "Warning"
    icon->setAccessibleName(qtTrId("IDS_A11Y_WARNING"));
    layout->addWidget(icon, 0, Qt::AlignTop);
    auto* label = new QLabel(text, row);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    // The text often names a file or a reason worth copying into a search or a report.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label, 1);

    // Kept in the order of the kinds, whatever order they were raised in.
    int position = 0;
    for (auto const& [shown, widget] : m_rows) {
        if (shown < kind) {
            ++position;
        }
    }
    m_layout->insertWidget(position, row);
    m_lines[kind] = label;
    m_rows[kind] = row;
    setVisible(true);
}

void NoticeArea::clearNotice(NoticeKind kind) {
    auto const row = m_rows.find(kind);
    if (row == m_rows.end()) {
        return;
    }
    delete row->second;
    m_rows.erase(row);
    m_lines.erase(kind);
    setVisible(!m_rows.empty());
}

QString NoticeArea::noticeText(NoticeKind kind) const {
    auto const line = m_lines.find(kind);
    return line != m_lines.end() ? line->second->text() : QString();
}
