#include "ui/HistoryWindow.h"

#include "platform/linux/AccessibleTable.h"
#include "platform/linux/TableFocusGuard.h"
#include "ui/HistoryModel.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr int kRowHeight = 24;
constexpr int kFileManagerTimeoutMs = 5000;
} // namespace

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
    // The recording a report names: opened with the desktop's player, or shown in its folder.
    m_open = new QPushButton(this);
    m_open->setObjectName(QStringLiteral("historyOpen"));
    connect(m_open, &QPushButton::clicked, this, &HistoryWindow::openFile);
    buttons->addWidget(m_open);
    m_showInFolder = new QPushButton(this);
    m_showInFolder->setObjectName(QStringLiteral("historyShowInFolder"));
    connect(m_showInFolder, &QPushButton::clicked, this, &HistoryWindow::showInFolder);
    buttons->addWidget(m_showInFolder);
    m_fileProblem = new QLabel(this);
    m_fileProblem->setObjectName(QStringLiteral("historyFileProblem"));
    m_fileProblem->setTextFormat(Qt::PlainText);
    m_fileProblem->setWordWrap(true);
    buttons->addWidget(m_fileProblem, 1);
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
    //% "Open"
    m_open->setText(qtTrId("IDS_HISTORY_OPEN"));
    //% "Open the recording with the desktop's player"
    m_open->setToolTip(qtTrId("IDS_HISTORY_OPEN_TIP"));
    m_open->setAccessibleName(m_open->toolTip());
    //% "Show in Folder"
    m_showInFolder->setText(qtTrId("IDS_HISTORY_SHOW_IN_FOLDER"));
    //% "Show the recording in its folder"
    m_showInFolder->setToolTip(qtTrId("IDS_HISTORY_SHOW_IN_FOLDER_TIP"));
    m_showInFolder->setAccessibleName(m_showInFolder->toolTip());
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
    bool const hasFile = !selectedFile().isEmpty();
    m_open->setEnabled(hasFile);
    m_showInFolder->setEnabled(hasFile);
    m_fileProblem->clear();
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

QString HistoryWindow::selectedFile() const {
    QModelIndex const current = m_table->currentIndex();
    if (!current.isValid()) {
        return QString();
    }
    JournalEntry const& entry = m_model->entry(current.row());
    if (entry.kind != JournalKind::RecordingFinished) {
        return QString();
    }
    return QString::fromUtf8(entry.file);
}

QString HistoryWindow::fileProblem() const {
    return m_fileProblem->text();
}

void HistoryWindow::showFileProblem(QString const& text) {
    m_fileProblem->setText(text);
}

void HistoryWindow::openFile() {
    QString const path = selectedFile();
    QFileInfo const info(path);
    if (!info.isAbsolute() || !info.isFile()) {
        //% "The recording is no longer there: %1"
        showFileProblem(qtTrId("IDS_HISTORY_FILE_GONE").arg(path));
        return;
    }
    // The path came from another program on the bus: only a sound file is handed to the
    // desktop, never something it would run.
    static QStringList const kSound{QStringLiteral("opus"), QStringLiteral("ogg"),
                                    QStringLiteral("oga"),  QStringLiteral("mp3"),
                                    QStringLiteral("m4a"),  QStringLiteral("flac"),
                                    QStringLiteral("wav")};
    if (!kSound.contains(info.suffix().toLower())) {
        //% "Only sound files are opened from here: %1"
        showFileProblem(qtTrId("IDS_HISTORY_FILE_NOT_SOUND").arg(path));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()))) {
        //% "No program could be found to play the recording."
        showFileProblem(qtTrId("IDS_HISTORY_OPEN_FAILED"));
    }
}

void HistoryWindow::showInFolder() {
    QString const path = selectedFile();
    QFileInfo const info(path);
    if (!info.isAbsolute() || !info.exists()) {
        showFileProblem(qtTrId("IDS_HISTORY_FILE_GONE").arg(path));
        return;
    }
    // The file manager selects the file where it offers that; otherwise its folder is opened.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    QUrl const folder = QUrl::fromLocalFile(info.absolutePath());
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, kFileManagerTimeoutMs), this);
    QPointer<HistoryWindow> self(this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [self, folder](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (!w->isError() || !self) {
                    return;
                }
                if (!QDesktopServices::openUrl(folder)) {
                    //% "The folder could not be opened: %1"
                    self->showFileProblem(
                        qtTrId("IDS_HISTORY_FOLDER_FAILED").arg(folder.toLocalFile()));
                }
            });
}
