#include "gui/MainWindow.h"

#include "gui/SettingsDialog.h"
#include "gui/VeltoService.h"
#include "gui/VeltoTexts.h"
#include "platform/linux/AccessibleTable.h"
#include "platform/linux/TableFocusGuard.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace velto {

namespace {
constexpr int kRecentKept = 20;
constexpr int kFileRole = Qt::UserRole;
// The level meter's scale: -60 dBFS to 0, in tenths.
constexpr int kMeterFloorDb = -60;
constexpr double kLoudDb = -6;
constexpr double kClippingDb = -1;

// A list of rows with columns, as screen readers read a table.
QTableWidget* listTable(const QStringList& columns, QWidget* parent) {
    auto* list = new QTableWidget(0, int(columns.size()), parent);
    list->setHorizontalHeaderLabels(columns);
    list->verticalHeader()->hide();
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false); // Tab leaves the list; the arrows move in it
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->setMinimumHeight(list->fontMetrics().height() * 5);
    TableFocusGuard::attach(list);
    return list;
}

// One row of plain texts at row.
void setRow(QTableWidget* list, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        list->setItem(row, column, item);
    }
}

QLabel* plainLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText); // titles come from the bus
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Short: today's programmes by their time alone.
QString whenText(std::chrono::system_clock::time_point time) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(ms.count());
    const bool today = when.date() == QDate::currentDate();
    return QLocale().toString(when, today ? QStringLiteral("HH:mm") : QStringLiteral("M/d HH:mm"));
}

double secondsBetween(std::chrono::system_clock::time_point from,
                      std::chrono::system_clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// A title of thousands of characters stays readable in a list.
QString shortTitle(const std::string& title) {
    QString text = QString::fromStdString(title);
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QChar(0xFFFD);
    }
    return text.size() > 120 ? text.left(119) + QChar(0x2026) : text;
}
} // namespace

MainWindow::MainWindow(VeltoService& service, QWidget* parent)
    : QWidget(parent), m_service(service) {
    //% "Velto"
    setWindowTitle(qtTrId("IDS_APP_TITLE"));
    setWindowIcon(QIcon(QStringLiteral(":/velto/velto.svg")));

    //% "Now recording"
    auto* now = new QGroupBox(qtTrId("IDS_NOW_GROUP"), this);
    m_title = plainLabel(now);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setWordWrap(true);
    m_station = plainLabel(now);
    m_times = plainLabel(now);
    m_channels = plainLabel(now);
    m_level = new QProgressBar(now);
    m_level->setRange(0, -kMeterFloorDb * 10);
    m_level->setTextVisible(false);
    m_level->setMaximumHeight(m_level->fontMetrics().height());
    //% "Level"
    m_level->setAccessibleName(qtTrId("IDS_LEVEL_NAME"));
    //% "The sound level being recorded, from -60 to 0 dB"
    m_level->setAccessibleDescription(qtTrId("IDS_LEVEL_DESCRIPTION"));
    auto* nowLayout = new QVBoxLayout(now);
    nowLayout->addWidget(m_title);
    nowLayout->addWidget(m_station);
    auto* meterRow = new QHBoxLayout;
    meterRow->addWidget(m_level, 1);
    meterRow->addWidget(m_channels);
    nowLayout->addLayout(meterRow);
    nowLayout->addWidget(m_times);

    //% "Waiting"
    auto* waitingBox = new QGroupBox(qtTrId("IDS_WAITING_GROUP"), this);
    AccessibleTable::installFactory(); // before the lists: readers ask them for cells at once
    //% "Start"
    const QString startColumn = qtTrId("IDS_COLUMN_START");
    //% "Station"
    const QString stationColumn = qtTrId("IDS_COLUMN_STATION");
    //% "Title"
    const QString titleColumn = qtTrId("IDS_COLUMN_TITLE");
    m_waiting = listTable({startColumn, stationColumn, titleColumn}, waitingBox);
    //% "Programmes waiting to be recorded"
    m_waiting->setAccessibleName(qtTrId("IDS_WAITING_NAME"));
    auto* waitingLayout = new QVBoxLayout(waitingBox);
    waitingLayout->addWidget(m_waiting);

    //% "Last recordings"
    auto* recentBox = new QGroupBox(qtTrId("IDS_RECENT_GROUP"), this);
    //% "Result"
    const QString resultColumn = qtTrId("IDS_COLUMN_RESULT");
    m_recent = listTable({startColumn, titleColumn, resultColumn}, recentBox);
    //% "Last recordings; Open plays the selected one"
    m_recent->setAccessibleName(qtTrId("IDS_RECENT_NAME"));
    //% "&Open"
    m_open = new QPushButton(qtTrId("IDS_OPEN"), recentBox);
    //% "Plays the selected recording"
    m_open->setAccessibleDescription(qtTrId("IDS_OPEN_DESCRIPTION"));
    //% "Show in &Folder"
    m_showFolder = new QPushButton(qtTrId("IDS_SHOW_FOLDER"), recentBox);
    auto* recentButtons = new QHBoxLayout;
    recentButtons->addStretch();
    recentButtons->addWidget(m_showFolder);
    recentButtons->addWidget(m_open);
    auto* recentLayout = new QVBoxLayout(recentBox);
    recentLayout->addWidget(m_recent);
    recentLayout->addLayout(recentButtons);

    m_message = plainLabel(this);
    m_message->setWordWrap(true);
    m_message->hide();

    //% "&Settings…"
    auto* settings = new QPushButton(qtTrId("IDS_SETTINGS_BUTTON"), this);
    //% "&Hide"
    auto* hide = new QPushButton(qtTrId("IDS_HIDE_BUTTON"), this);
    //% "Hides the window; recordings go on"
    hide->setAccessibleDescription(qtTrId("IDS_HIDE_DESCRIPTION"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settings);
    buttons->addStretch();
    buttons->addWidget(hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(now);
    layout->addWidget(waitingBox, 1);
    layout->addWidget(recentBox, 1);
    layout->addWidget(m_message);
    layout->addLayout(buttons);

    m_ticker = new QTimer(this);
    m_ticker->setInterval(250);
    connect(m_ticker, &QTimer::timeout, this, &MainWindow::refresh);
    connect(settings, &QPushButton::clicked, this, &MainWindow::openSettings);
    connect(hide, &QPushButton::clicked, this, &QWidget::close);
    connect(m_open, &QPushButton::clicked, this, [this] { openSelected(false); });
    connect(m_showFolder, &QPushButton::clicked, this, [this] { openSelected(true); });
    connect(m_recent, &QTableWidget::itemSelectionChanged, this, [this] {
        const auto* item = m_recent->item(m_recent->currentRow(), 0);
        const bool file = item != nullptr && !item->data(kFileRole).toString().isEmpty();
        m_open->setEnabled(file);
        m_showFolder->setEnabled(file);
    });
    connect(m_recent, &QTableWidget::itemActivated, this, [this] { openSelected(false); });
    m_open->setEnabled(false);
    m_showFolder->setEnabled(false);

    connect(&m_service, &VeltoService::recordingStarted, this, [this] {
        m_recording = true;
        m_ticker->start();
        updateTray();
        refresh();
    });
    connect(
        &m_service, &VeltoService::recordingFinished, this, [this](const RecordingReport& report) {
            addRecent(report);
            if (report.result != RecordingResult::Recorded)
                showMessage(
                    QStringLiteral("%1: %2").arg(shortTitle(report.programme.title),
                                                 reasonText(report.reasonKey, report.reasonText)));
            QTimer::singleShot(300, this, [this] {
                m_recording = m_service.status().current.has_value();
                if (!m_recording)
                    m_ticker->stop();
                updateTray();
                refresh();
            });
        });
    connect(&m_service, &VeltoService::recordingWarning, this,
            [this](const QString& title, const QString& text) {
                showMessage(QStringLiteral("%1: %2").arg(title.left(120), text));
            });
    connect(&m_service, &VeltoService::queueChanged, this, &MainWindow::refreshWaiting);

    const auto showFolderProblem = [this](const QString& why) {
        //% "The recordings folder cannot be used: %1"
        showMessage(qtTrId("IDS_FOLDER_PROBLEM").arg(why));
    };
    connect(&m_service, &VeltoService::folderUnusable, this, showFolderProblem);
    if (!m_service.folderProblem().isEmpty())
        showFolderProblem(m_service.folderProblem());
    if (const std::string& why = m_service.settings().stationsProblem; !why.empty()) {
        //% "The stations file could not be read, so it is left as it is and not used: %1"
        showMessage(qtTrId("IDS_STATIONS_UNREADABLE").arg(QString::fromStdString(why)));
    }
    for (const RecordingReport& report : m_service.recovered())
        addRecent(report);
    refresh();
    refreshWaiting();
    resize(fontMetrics().averageCharWidth() * 70, minimumSizeHint().height());
}

void MainWindow::refresh() {
    const SessionStatus status = m_service.status();
    if (!status.current) {
        //% "Not recording"
        m_title->setText(qtTrId("IDS_NOT_RECORDING"));
        m_station->clear();
        m_times->clear();
        m_channels->clear();
        m_level->hide();
    } else {
        const Programme& programme = *status.current;
        m_title->setText(shortTitle(programme.title));
        m_station->setText(stationText(programme));
        const double left =
            std::max(0.0, secondsBetween(std::chrono::system_clock::now(), programme.end));
        //% "Elapsed %1 · %2 left"
        m_times->setText(
            qtTrId("IDS_ELAPSED_LEFT").arg(clockText(status.seconds), clockText(left)));
        if (status.stereo) {
            //% "Stereo"
            m_channels->setText(qtTrId("IDS_STEREO"));
        } else {
            //% "Mono"
            m_channels->setText(qtTrId("IDS_MONO"));
        }
        m_level->show();
        const double db = std::clamp<double>(status.levelDb, kMeterFloorDb, 0);
        m_level->setValue(int(std::lround((db - kMeterFloorDb) * 10)));
        // Amber near full scale, red where the sound clips.
        QPalette palette = m_level->parentWidget()->palette();
        if (db > kClippingDb)
            palette.setColor(QPalette::Highlight, QColor(0xc6, 0x28, 0x28));
        else if (db > kLoudDb)
            palette.setColor(QPalette::Highlight, QColor(0xe0, 0x9a, 0x10));
        m_level->setPalette(palette);
    }
}

void MainWindow::refreshWaiting() {
    const SessionStatus status = m_service.status();
    m_waiting->setRowCount(int(status.waiting.size()));
    int row = 0;
    for (const Programme& programme : status.waiting) {
        setRow(m_waiting, row++,
               {whenText(programme.start), stationText(programme), shortTitle(programme.title)});
    }
}

void MainWindow::addRecent(const RecordingReport& report) {
    m_recent->insertRow(0);
    setRow(
        m_recent, 0,
        {whenText(report.programme.start), shortTitle(report.programme.title), resultText(report)});
    m_recent->item(0, 0)->setData(kFileRole, QString::fromStdString(report.file));
    QString why =
        report.reasonKey.empty() ? QString() : reasonText(report.reasonKey, report.reasonText);
    // The source's own words name the device or the file involved.
    if (!report.reasonText.empty() && why != QString::fromStdString(report.reasonText))
        why += QStringLiteral("\n") + QString::fromStdString(report.reasonText);
    if (!report.file.empty())
        why += (why.isEmpty() ? QString() : QStringLiteral("\n")) +
               QString::fromStdString(report.file);
    m_recent->item(0, 1)->setToolTip(why);
    m_recent->item(0, 2)->setToolTip(why);
    // What the tip says, also for a screen reader.
    m_recent->item(0, 2)->setData(Qt::AccessibleDescriptionRole, why);
    m_recent->setRowCount(std::min(m_recent->rowCount(), kRecentKept));
}

void MainWindow::showMessage(const QString& text) {
    m_message->setText(text);
    m_message->show();
}

void MainWindow::openSelected(bool folder) {
    const auto* item = m_recent->item(m_recent->currentRow(), 0);
    if (item == nullptr)
        return;
    const QString file = item->data(kFileRole).toString();
    if (file.isEmpty())
        return;
    if (!QFileInfo::exists(file)) {
        //% "The file is no longer there: %1"
        showMessage(qtTrId("IDS_FILE_GONE").arg(file));
        return;
    }
    const QString target = folder ? QFileInfo(file).absolutePath() : file;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(target))) {
        //% "No program is set up to open %1."
        showMessage(qtTrId("IDS_OPEN_FAILED").arg(target));
    }
}

void MainWindow::openSettings() {
    // The stations table as `velto stations` may have changed it since.
    VeltoSettings current = m_service.settings();
    const VeltoSettings onDisk = VeltoSettings::load();
    current.stations = onDisk.stations;
    current.stationsProblem = onDisk.stationsProblem;
    SettingsDialog dialog(current, m_service.presetStations(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const VeltoSettings settings = dialog.settings();
    if (!settings.save()) {
        //% "The settings could not be saved in %1."
        showMessage(qtTrId("IDS_SETTINGS_NOT_SAVED").arg(VeltoSettings::configFolder()));
    }
    m_service.applySettings(settings);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing hides: the recorder keeps listening to the manager.
    event->ignore();
    hide();
    updateTray();
    m_service.userHid();
}

void MainWindow::hideAsAsked() {
    hide();
    updateTray();
}

void MainWindow::showAsAsked() {
    show();
    raise();
    updateTray();
}

void MainWindow::showByUser() {
    const bool wasHidden = isHidden();
    showAsAsked();
    activateWindow();
    if (wasHidden)
        m_service.userShown();
}

void MainWindow::updateTray() {
    // The tray icon is there while something records, and while the window is hidden so
    // that it can be brought back.
    const bool wanted = (m_recording || isHidden()) && QSystemTrayIcon::isSystemTrayAvailable();
    if (wanted && m_tray == nullptr) {
        m_tray = new QSystemTrayIcon(windowIcon(), this);
        auto* menu = new QMenu(this);
        //% "Show Velto"
        menu->addAction(qtTrId("IDS_TRAY_SHOW"), this, &MainWindow::showByUser);
        m_tray->setContextMenu(menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](auto reason) {
            if (reason == QSystemTrayIcon::Trigger)
                isHidden() ? showByUser() : static_cast<void>(close());
        });
    }
    if (m_tray != nullptr) {
        //% "Velto: recording"
        const QString recording = qtTrId("IDS_TRAY_RECORDING");
        m_tray->setToolTip(m_recording ? recording : windowTitle());
        m_tray->setVisible(wanted);
    }
}

} // namespace velto
