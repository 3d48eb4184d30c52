#include "ui/HistoryWindow.h"

#include "ui/AccessibleTable.h"
#include "ui/HistoryModel.h"
#include "ui/TableFocusGuard.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int kRowHeight = 24;
}

HistoryWindow::HistoryWindow(IRecordingJournal* journal, QWidget* parent)
    : QWidget(parent, Qt::Window), m_journal(journal) {
    setObjectName(QStringLiteral("historyWindow"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);

    m_empty = new QLabel(this);
    m_empty->setWordWrap(true);
    m_empty->setVisible(false);
    layout->addWidget(m_empty);

    m_model = new HistoryModel(this);
    AccessibleTable::installFactory(); // before the model: setting it tells screen readers
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setModel(m_model);
    TableFocusGuard::attach(m_table);
    m_table->setTabKeyNavigation(false); // Tab leaves the table; the arrows move in it
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setIconSize(QSize(16, 16));
    m_table->verticalHeader()->setVisible(false);
    // Fixed row heights: a year of rows is laid out without measuring each.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(m_table, 1);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HistoryWindow::showDetails);

    // Reasons are sentences that a column cuts short: the selected one is shown whole.
    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("historyDetails"));
    m_details->setWordWrap(true);
    m_details->setTextFormat(Qt::PlainText);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_details->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_details->setMinimumHeight(2 * m_details->fontMetrics().lineSpacing() + 4);
    layout->addWidget(m_details);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_close = new QPushButton(this);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    auto* closeKey = new QShortcut(QKeySequence(QKeySequence::Close), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    retranslate();
    resize(1020, 500);
}

void HistoryWindow::retranslate() {
    //% "History — %1"
    setWindowTitle(qtTrId("IDS_HISTORY_TITLE").arg(qtTrId("AppTitle")));
    //% "Nothing has happened to a recording yet. Hand-overs, missed recordings "
    //% "and wake-ups will be listed here."
    m_empty->setText(qtTrId("IDS_HISTORY_EMPTY"));
    //% "Close"
    m_close->setText(qtTrId("IDS_HISTORY_CLOSE"));
    //% "Recording history"
    m_table->setAccessibleName(qtTrId("IDS_A11Y_HISTORY_TABLE"));
    sizeColumns();
}

void HistoryWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
        m_model->setEntries(m_model->entries()); // every cell worded anew
    }
    QWidget::changeEvent(event);
}

void HistoryWindow::sizeColumns() {
    QFontMetrics const cells(m_table->font());
    QHeaderView* header = m_table->horizontalHeader();
    int const time = cells.horizontalAdvance(
                         QStringLiteral("0000/00/00 (%1) 00:00").arg(QString(2, QChar(0x65e5)))) +
                     16;
    header->resizeSection(HistoryModel::Status, m_table->iconSize().width() + 12);
    header->resizeSection(HistoryModel::Time, time);
    header->resizeSection(HistoryModel::Title, 300);
    header->resizeSection(HistoryModel::Outcome, 240);
}

void HistoryWindow::reload() {
    std::vector<JournalEntry> entries;
    if (m_journal != nullptr) {
        entries = m_journal->read(kShownEntries);
    }
    m_empty->setVisible(entries.empty());
    m_model->setEntries(std::move(entries));
    // The newest entry, in full, until another is chosen.
    if (m_model->rowCount() > 0) {
        m_table->setCurrentIndex(m_model->index(0, HistoryModel::Time));
    }
    showDetails();
}

void HistoryWindow::showDetails() {
    QModelIndex const current = m_table->currentIndex();
    if (!current.isValid()) {
        m_details->clear();
        return;
    }
    auto cell = [this, &current](int column) {
        return m_model->data(m_model->index(current.row(), column), Qt::DisplayRole).toString();
    };
    QStringList head{cell(HistoryModel::Time), cell(HistoryModel::Outcome)};
    if (!cell(HistoryModel::Title).isEmpty()) {
        head << cell(HistoryModel::Title);
    }
    QString text = head.join(QStringLiteral(" · "));
    if (!cell(HistoryModel::Reason).isEmpty()) {
        text += QLatin1Char('\n') + cell(HistoryModel::Reason);
    }
    m_details->setText(text);
}

QString HistoryWindow::details() const {
    return m_details->text();
}
