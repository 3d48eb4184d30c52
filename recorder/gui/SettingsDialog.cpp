#include "gui/SettingsDialog.h"

#include "gui/VeltoTexts.h"
#include "output/RecordingsFolder.h"
#include "platform/linux/AccessibleTable.h"
#include "platform/linux/TableFocusGuard.h"
#include "sources/Deadline.h"
#include "sources/SoapySource.h"
#include "sources/tuner/RadioTunerFinder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <memory>
#include <thread>

namespace velto {

namespace {
using namespace std::chrono_literals;

// A form label whose shortcut moves to `buddy`, also when the row holds more than it.
QLabel* buddyLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}
// A driver that hangs must not keep the list waiting longer than this.
constexpr auto kSearchDeadline = 10s;
constexpr int kUseColumn = 3;

constexpr int kUseRole = Qt::UserRole; // the source choice's key in its cell

QComboBox* useCombo(SourceUse use, QWidget* parent = nullptr) {
    auto* combo = new QComboBox(parent);
    //% "Receiver"
    combo->addItem(qtTrId("IDS_USE_RECEIVER"),
                   QString::fromLatin1(sourceUseName(SourceUse::Receiver)));
    //% "Stream"
    combo->addItem(qtTrId("IDS_USE_STREAM"), QString::fromLatin1(sourceUseName(SourceUse::Stream)));
    //% "Stream when no receiver"
    combo->addItem(qtTrId("IDS_USE_FALLBACK"),
                   QString::fromLatin1(sourceUseName(SourceUse::Fallback)));
    combo->setCurrentIndex(combo->findData(QString::fromLatin1(sourceUseName(use))));
    //% "Record from"
    combo->setAccessibleName(qtTrId("IDS_USE_NAME"));
    return combo;
}

// The source column: its cells hold the choice as text, which readers read and the keyboard
// reaches like any cell (F2, a key or a double click opens the list).
class UseDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const auto use = sourceUseFromName(index.data(kUseRole).toString().toStdString());
        return useCombo(use.value_or(SourceUse::Fallback), parent);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(std::max(0, combo->findData(index.data(kUseRole))));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const auto* combo = static_cast<QComboBox*>(editor);
        model->setData(index, combo->currentData(), kUseRole);
        model->setData(index, combo->currentText(), Qt::DisplayRole);
    }
};

// A cell that says it is empty, so that a screen reader does not pass over it in silence.
class StationItem : public QTableWidgetItem {
public:
    StationItem(const std::string& text, QString empty)
        : QTableWidgetItem(QString::fromStdString(text)), m_empty(std::move(empty)) {}
    QVariant data(int role) const override {
        if (role == Qt::AccessibleTextRole && text().trimmed().isEmpty())
            return m_empty;
        return QTableWidgetItem::data(role);
    }
    QTableWidgetItem* clone() const override { return new StationItem(*this); }

private:
    QString m_empty;
};

QString frequencyText(const Station& station) {
    return station.band == Band::FM
               ? QStringLiteral("FM %1").arg(station.channel / 100.0, 0, 'f', 1)
               : QStringLiteral("AM %1").arg(station.channel);
}

// "FM 80.0", "fm 80", "AM 594": a station as typed in the table.
std::optional<Station> stationFrom(const QString& text) {
    const QStringList parts = text.simplified().split(QLatin1Char(' '));
    if (parts.size() != 2)
        return std::nullopt;
    const auto band = bandFromName(parts[0].toStdString());
    bool ok = false;
    const double value = parts[1].toDouble(&ok);
    if (!band || !ok)
        return std::nullopt;
    return Station{*band, int(std::lround(*band == Band::FM ? value * 100 : value))};
}
} // namespace

SettingsDialog::SettingsDialog(const VeltoSettings& settings, std::vector<StationEntry> presets,
                               QWidget* parent)
    : QDialog(parent), m_settings(settings), m_presets(std::move(presets)) {
    //% "Velto Settings"
    setWindowTitle(qtTrId("IDS_SETTINGS_TITLE"));
    auto* tabs = new QTabWidget(this);
    //% "Settings pages"
    tabs->setAccessibleName(qtTrId("IDS_SETTINGS_PAGES"));
    //% "Receiver"
    tabs->addTab(makeReceiverPage(), qtTrId("IDS_TAB_RECEIVER"));
    //% "Recordings"
    tabs->addTab(makeRecordingPage(), qtTrId("IDS_TAB_RECORDINGS"));
    //% "Stations"
    tabs->addTab(makeStationsPage(), qtTrId("IDS_TAB_STATIONS"));
    m_problem = new QLabel(this);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00020"));
    m_problem->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    //% "OK"
    buttons->button(QDialogButtonBox::Ok)->setText(qtTrId("IDS_OK"));
    //% "Cancel"
    buttons->button(QDialogButtonBox::Cancel)->setText(qtTrId("IDS_CANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    updateEnabled();
    // Room for a stream address beside the station.
    resize(std::max(sizeHint().width(), fontMetrics().averageCharWidth() * 95),
           sizeHint().height());
    findDevices();
}

QWidget* SettingsDialog::makeReceiverPage() {
    auto* page = new QWidget;
    const ReceiverSettings& receiver = m_settings.receiver;
    m_source = new QComboBox(page);
    //% "The first receiver found"
    m_source->addItem(qtTrId("IDS_SOURCE_FIRST"), QString());
    if (!m_settings.source.empty()) {
        const QString address = QString::fromStdString(m_settings.source);
        m_source->addItem(address, address);
        m_source->setCurrentIndex(1);
    }
    m_source->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_source->setMinimumContentsLength(28);
    //% "&Look Again"
    m_refresh = new QPushButton(qtTrId("IDS_REFRESH"), page);
    //% "Looks again for SDR receivers and USB radio tuners"
    m_refresh->setAccessibleDescription(qtTrId("IDS_REFRESH_DESCRIPTION"));
    m_search = new QLabel(page);
    m_search->setTextFormat(Qt::PlainText);
    m_search->setWordWrap(true);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(m_source, 1);
    sourceRow->addWidget(m_refresh);

    //% "&Automatic gain"
    m_autoGain = new QCheckBox(qtTrId("IDS_AUTO_GAIN"), page);
    m_autoGain->setChecked(!receiver.gainDb);
    m_gain = new QDoubleSpinBox(page);
    m_gain->setRange(0, 60);
    m_gain->setDecimals(1);
    m_gain->setSuffix(QStringLiteral(" dB"));
    m_gain->setValue(receiver.gainDb.value_or(30));
    auto* gainRow = new QHBoxLayout;
    gainRow->addWidget(m_autoGain);
    gainRow->addWidget(m_gain);
    gainRow->addStretch();

    m_ppm = new QDoubleSpinBox(page);
    m_ppm->setRange(-500, 500);
    m_ppm->setDecimals(1);
    m_ppm->setSuffix(QStringLiteral(" ppm"));
    m_ppm->setValue(receiver.ppm);

    //% "&Direct sampling"
    m_directSampling = new QRadioButton(qtTrId("IDS_DIRECT_SAMPLING"), page);
    //% "&Upconverter, offset"
    m_upconverter = new QRadioButton(qtTrId("IDS_UPCONVERTER"), page);
    (receiver.amInput == AmInput::Upconverter ? m_upconverter : m_directSampling)->setChecked(true);
    m_upconverterMhz = new QDoubleSpinBox(page);
    m_upconverterMhz->setRange(1, 2000);
    m_upconverterMhz->setDecimals(3);
    m_upconverterMhz->setSuffix(QStringLiteral(" MHz"));
    m_upconverterMhz->setValue(receiver.upconverterHz / 1e6);
    auto* amRow = new QHBoxLayout;
    amRow->addWidget(m_directSampling);
    amRow->addWidget(m_upconverter);
    amRow->addWidget(m_upconverterMhz);
    amRow->addStretch();

    m_deemphasis = new QComboBox(page);
    //% "50 µs (Japan, Europe)"
    m_deemphasis->addItem(qtTrId("IDS_DEEMPHASIS_50"), 50);
    //% "75 µs (the Americas, Korea)"
    m_deemphasis->addItem(qtTrId("IDS_DEEMPHASIS_75"), 75);
    m_deemphasis->setCurrentIndex(receiver.deemphasisSeconds > 60e-6 ? 1 : 0);

    auto* form = new QFormLayout(page);
    //% "&Source:"
    form->addRow(buddyLabel(qtTrId("IDS_SOURCE_LABEL"), m_source), sourceRow);
    form->addRow(QString(), m_search);
    //% "Gain:"
    form->addRow(buddyLabel(qtTrId("IDS_GAIN_LABEL"), m_autoGain), gainRow);
    //% "&Frequency correction:"
    form->addRow(qtTrId("IDS_PPM_LABEL"), m_ppm);
    //% "AM reception:"
    form->addRow(buddyLabel(qtTrId("IDS_AM_LABEL"), m_directSampling), amRow);
    //% "FM de-&emphasis:"
    form->addRow(qtTrId("IDS_DEEMPHASIS_LABEL"), m_deemphasis);
    //% "Source"
    m_source->setAccessibleName(qtTrId("IDS_SOURCE_NAME"));
    //% "Gain in dB"
    m_gain->setAccessibleName(qtTrId("IDS_GAIN_NAME"));
    //% "Frequency correction in ppm"
    m_ppm->setAccessibleName(qtTrId("IDS_PPM_NAME"));
    //% "Upconverter offset in MHz"
    m_upconverterMhz->setAccessibleName(qtTrId("IDS_UPCONVERTER_NAME"));
    //% "FM de-emphasis"
    m_deemphasis->setAccessibleName(qtTrId("IDS_DEEMPHASIS_NAME"));
    //% "AM on an RTL-SDR dongle: direct sampling of its Q branch, or an upconverter "
    //% "ahead of the antenna input"
    m_directSampling->setAccessibleDescription(qtTrId("IDS_AM_DESCRIPTION"));
    m_upconverter->setAccessibleDescription(m_directSampling->accessibleDescription());

    connect(m_autoGain, &QCheckBox::toggled, this, &SettingsDialog::updateEnabled);
    connect(m_upconverter, &QRadioButton::toggled, this, &SettingsDialog::updateEnabled);
    connect(m_refresh, &QPushButton::clicked, this, &SettingsDialog::findDevices);
    return page;
}

QWidget* SettingsDialog::makeRecordingPage() {
    auto* page = new QWidget;
    m_folder = new QLineEdit(QString::fromStdString(m_settings.recordingsFolder()), page);
    //% "Recordings folder"
    m_folder->setAccessibleName(qtTrId("IDS_FOLDER_NAME"));
    //% "&Choose…"
    auto* choose = new QPushButton(qtTrId("IDS_CHOOSE_FOLDER"), page);
    //% "Chooses the recordings folder"
    choose->setAccessibleDescription(qtTrId("IDS_CHOOSE_FOLDER_DESCRIPTION"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(choose);
    connect(choose, &QPushButton::clicked, this, [this] {
        //% "Recordings Folder"
        const QString chosen =
            QFileDialog::getExistingDirectory(this, qtTrId("IDS_FOLDER_DIALOG"), m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(chosen);
    });
    m_bitrate = new QComboBox(page);
    for (int bitrate : kStereoBitrates) {
        //% "%1 kbit/s stereo, %2 kbit/s mono"
        m_bitrate->addItem(qtTrId("IDS_BITRATE").arg(bitrate / 1000).arg(bitrate * 2 / 3 / 1000),
                           bitrate);
    }
    m_bitrate->setCurrentIndex(m_bitrate->findData(m_settings.stereoBitrate));
    //% "Quality"
    m_bitrate->setAccessibleName(qtTrId("IDS_BITRATE_NAME"));
    auto* form = new QFormLayout(page);
    //% "&Folder:"
    form->addRow(buddyLabel(qtTrId("IDS_FOLDER_LABEL"), m_folder), folderRow);
    //% "&Quality:"
    form->addRow(qtTrId("IDS_BITRATE_LABEL"), m_bitrate);
    return page;
}

QWidget* SettingsDialog::makeStationsPage() {
    auto* page = new QWidget;
    //% "Stations listed here can be recorded from their internet stream instead of the "
    //% "receiver. Type the station as \"FM 80.0\" or \"AM 594\"."
    auto* intro = new QLabel(qtTrId("IDS_STATIONS_INTRO"), page);
    intro->setWordWrap(true);
    AccessibleTable::installFactory(); // before the table: readers ask it for cells at once
    m_stations = new QTableWidget(0, 4, page);
    //% "Station"
    const QString station = qtTrId("IDS_STATIONS_STATION");
    //% "Name"
    const QString name = qtTrId("IDS_STATIONS_NAME");
    //% "Stream address"
    const QString url = qtTrId("IDS_STATIONS_URL");
    //% "Record from"
    const QString use = qtTrId("IDS_STATIONS_USE");
    m_stations->setHorizontalHeaderLabels({station, name, url, use});
    m_stations->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_stations->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_stations->horizontalHeader()->setSectionResizeMode(kUseColumn, QHeaderView::Fixed);
    m_stations->verticalHeader()->hide();
    m_stations->setWordWrap(false);
    m_stations->setItemDelegateForColumn(kUseColumn, new UseDelegate(m_stations));
    m_stations->setTabKeyNavigation(false); // Tab leaves the table; the arrows move in it
    //% "Stations table"
    m_stations->setAccessibleName(qtTrId("IDS_STATIONS_TABLE_NAME"));
    for (const StationEntry& entry : m_settings.stations.entries())
        addStationRow(entry);
    TableFocusGuard::attach(m_stations);
    // The header does not size a column by the widgets in its cells.
    std::unique_ptr<QComboBox> widest(useCombo(SourceUse::Fallback));
    m_stations->horizontalHeader()->setMinimumSectionSize(0);
    m_stations->setColumnWidth(kUseColumn, widest->sizeHint().width());
    //% "&Add"
    auto* add = new QPushButton(qtTrId("IDS_STATION_ADD"), page);
    //% "&Remove"
    auto* remove = new QPushButton(qtTrId("IDS_STATION_REMOVE"), page);
    // Add offers the presets' stations by name, and any other station.
    auto* addMenu = new QMenu(add);
    const auto addRow = [this](const StationEntry& entry, int column) {
        addStationRow(entry);
        m_stations->setCurrentCell(m_stations->rowCount() - 1, column);
        m_stations->editItem(m_stations->currentItem());
    };
    for (const StationEntry& preset : m_presets) {
        addMenu->addAction(QStringLiteral("%1 — %2").arg(frequencyText(preset.station),
                                                         QString::fromStdString(preset.name)),
                           this, [addRow, preset] { addRow(preset, 2); });
    }
    //% "Another Station"
    addMenu->addAction(qtTrId("IDS_STATION_ADD_OTHER"), this, [addRow] {
        addRow(StationEntry{Station{Band::FM, 8000}, {}, {}, SourceUse::Fallback}, 0);
    });
    add->setMenu(addMenu);
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_stations->currentRow() >= 0)
            m_stations->removeRow(m_stations->currentRow());
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(remove);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(intro);
    if (!m_settings.stationsProblem.empty()) {
        // The file is the user's: it is shown as unusable and left untouched.
        //% "The stations file could not be read, so it is left as it is and not used: %1"
        auto* problem = new QLabel(qtTrId("IDS_STATIONS_UNREADABLE")
                                       .arg(QString::fromStdString(m_settings.stationsProblem)),
                                   page);
        problem->setTextFormat(Qt::PlainText);
        problem->setWordWrap(true);
        layout->addWidget(problem);
        m_stations->setEnabled(false);
        add->setEnabled(false);
        remove->setEnabled(false);
    }
    layout->addWidget(m_stations, 1);
    layout->addLayout(buttons);
    return page;
}

void SettingsDialog::addStationRow(const StationEntry& entry) {
    const int row = m_stations->rowCount();
    m_stations->insertRow(row);
    m_stations->setItem(row, 0, new QTableWidgetItem(frequencyText(entry.station)));
    //% "No name"
    m_stations->setItem(row, 1, new StationItem(entry.name, qtTrId("IDS_STATION_NO_NAME")));
    //% "No stream address"
    m_stations->setItem(row, 2, new StationItem(entry.streamUrl, qtTrId("IDS_STATION_NO_URL")));
    const std::unique_ptr<QComboBox> use(useCombo(entry.use));
    auto* useItem = new QTableWidgetItem(use->currentText());
    useItem->setData(kUseRole, use->currentData());
    m_stations->setItem(row, kUseColumn, useItem);
}

void SettingsDialog::updateEnabled() {
    m_gain->setEnabled(!m_autoGain->isChecked());
    m_upconverterMhz->setEnabled(m_upconverter->isChecked());
}

void SettingsDialog::findDevices() {
    m_refresh->setEnabled(false);
    //% "Looking for receivers…"
    m_search->setText(qtTrId("IDS_SEARCHING"));
    QPointer<SettingsDialog> dialog(this);
    // Drivers can hang: the search runs on a thread of its own, each part with a deadline,
    // and its answer is dropped when the dialog has gone.
    std::thread([dialog] {
        QList<QPair<QString, QString>> found;
        QString problem;
        SourceError error;
        for (const ReceiverInfo& receiver : listReceivers(kSearchDeadline, error)) {
            const QString address =
                QStringLiteral("soapy:") + QString::fromStdString(receiver.args);
            found.append({address, QString::fromStdString(receiver.label)});
        }
        if (!error.key.empty())
            problem = QString::fromStdString(error.text);
        try {
            const auto tuners = callWithin<std::vector<FoundRadioTuner>>(
                kSearchDeadline, [] { return RadioTunerFinder().list(); });
            if (!tuners)
                problem = QStringLiteral("USB radio tuners: no answer in %1 s")
                              .arg(std::chrono::seconds(kSearchDeadline).count());
            for (const FoundRadioTuner& tuner : tuners.value_or(std::vector<FoundRadioTuner>{})) {
                if (!tuner.problem)
                    found.append(
                        {QString::fromStdString(tuner.address),
                         QString::fromStdString(tuner.name.empty() ? tuner.path : tuner.name)});
            }
        } catch (const std::exception& e) {
            problem = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            qApp,
            [dialog, found, problem] {
                if (dialog)
                    dialog->devicesFound(found, problem);
            },
            Qt::QueuedConnection);
    }).detach();
}

void SettingsDialog::devicesFound(const QList<QPair<QString, QString>>& devices,
                                  const QString& problem) {
    m_refresh->setEnabled(true);
    const QString chosen = m_source->currentData().toString();
    while (m_source->count() > 1)
        m_source->removeItem(1);
    for (const auto& [address, label] : devices)
        m_source->addItem(QStringLiteral("%1 — %2").arg(label, address), address);
    if (!chosen.isEmpty() && m_source->findData(chosen) < 0) {
        //% "%1 (not found now)"
        m_source->addItem(qtTrId("IDS_SOURCE_MISSING").arg(chosen), chosen);
    }
    m_source->setCurrentIndex(std::max(0, m_source->findData(chosen)));
    if (!problem.isEmpty()) {
        //% "The search for receivers failed: %1"
        m_search->setText(qtTrId("IDS_SEARCH_FAILED").arg(problem));
    } else if (devices.isEmpty()) {
        //% "No receiver found. Plug one in and look again."
        m_search->setText(qtTrId("IDS_NONE_FOUND"));
    } else {
        //% "%n receiver(s) found."
        m_search->setText(qtTrId("IDS_FOUND", int(devices.size())));
    }
}

void SettingsDialog::accept() {
    VeltoSettings settings = m_settings;
    settings.source = m_source->currentData().toString().toStdString();
    ReceiverSettings& receiver = settings.receiver;
    receiver.gainDb = m_autoGain->isChecked() ? std::nullopt : std::optional(m_gain->value());
    receiver.ppm = m_ppm->value();
    receiver.amInput = m_upconverter->isChecked() ? AmInput::Upconverter : AmInput::DirectSampling;
    receiver.upconverterHz = m_upconverterMhz->value() * 1e6;
    receiver.deemphasisSeconds = m_deemphasis->currentData().toInt() * 1e-6;
    const QString folder = m_folder->text().trimmed();
    settings.folder = folder == QString::fromStdString(defaultRecordingsFolder())
                          ? std::string()
                          : folder.toStdString();
    settings.stereoBitrate = m_bitrate->currentData().toInt();
    settings.stations = StationTable();
    for (int row = 0; m_settings.stationsProblem.empty() && row < m_stations->rowCount(); ++row) {
        const auto text = [&](int column) {
            const QTableWidgetItem* item = m_stations->item(row, column);
            return item == nullptr ? QString() : item->text().trimmed();
        };
        const std::optional<Station> station = stationFrom(text(0));
        SourceError error;
        StationEntry entry;
        if (station) {
            entry.station = *station;
            entry.name = text(1).toStdString();
            entry.streamUrl = text(2).toStdString();
            const QTableWidgetItem* use = m_stations->item(row, kUseColumn);
            entry.use =
                sourceUseFromName(use == nullptr ? std::string()
                                                 : use->data(kUseRole).toString().toStdString())
                    .value_or(SourceUse::Fallback);
        }
        if (!station || !settings.stations.set(entry, error)) {
            //% "Station %1 (row %2) cannot be kept: %3"
            m_problem->setText(
                qtTrId("IDS_STATION_REFUSED")
                    .arg(text(0))
                    .arg(row + 1)
                    .arg(reasonText(error.key.empty() ? "bad-channel" : error.key, error.text)));
            m_problem->show();
            m_stations->setCurrentCell(row, 0);
            return;
        }
    }
    m_settings = settings;
    QDialog::accept();
}

} // namespace velto
