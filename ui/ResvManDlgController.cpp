// The main window controller's life cycle, its table (data source and delegate) and the
// enabling of its buttons. The commands and the hide/exit handlers live in files of their
// own.
#include "ui/ResvManDlgController.h"

#include "ui/ImageBtnCtrl.h"
#include "ui/MyTableView.h"
#include "ui/RecordingNotices.h"
#include "ui/RegistReserveController.h"
#include "ui/ResvTableModel.h"
#include "ui/SaveFailure.h"
#include "ui/UiTexts.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QScreen>
#include <QStringDecoder>
#include <QTableView>

#include <cmath>
#include <cstring>
#include <ctime>

namespace {

CRecEngine::Services WithMainThread(CRecEngine::Services services, IMainThreadRequests* main) {
    services.mainThread = main;
    return services;
}

// The text of a fixed-size UTF-8 field, never read past its end; invalid UTF-8 gives no
// text at all.
QVariant Utf8Cell(char const* bytes, std::size_t capacity) {
    std::size_t const length = strnlen(bytes, capacity);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString const text = decoder.decode(QByteArrayView(bytes, static_cast<qsizetype>(length)));
    if (decoder.hasError()) {
        return QVariant();
    }
    return text;
}

// Instants from a damaged file can be anything; only those the C library can break down
// are shown.
bool ToTimeT(double instant, time_t& out) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1.0e12) {
        return false;
    }
    out = static_cast<time_t>(instant);
    return true;
}

// The date in the process's time zone, the zone of the start and end columns and of the
// reservation dialog.
QVariant LocalDateCell(double instant) {
    time_t t = 0;
    struct tm parts {};
    if (!ToTimeT(instant, t) || !localtime_r(&t, &parts)) {
        return QVariant();
    }
    char date[64];
    if (std::strftime(date, sizeof date, "%Y/%m/%d", &parts) == 0) {
        return QVariant();
    }
    return QString::fromLatin1(date) + QLatin1String(" (") + WeekdayName(parts.tm_wday) +
           QLatin1Char(')');
}

QVariant LocalTimeCell(double instant) {
    time_t t = 0;
    struct tm parts {};
    if (!ToTimeT(instant, t) || !localtime_r(&t, &parts)) {
        return QVariant();
    }
    char text[16];
    if (std::strftime(text, sizeof text, "%H:%M", &parts) == 0) {
        return QVariant();
    }
    return QString::fromLatin1(text);
}

} // namespace

ResvManDlgController::ResvManDlgController(CRecEngine::Services const& services, QObject* parent)
    : QObject(parent), CRecEngine(WithMainThread(services, this)) {}

ResvManDlgController::~ResvManDlgController() {
    // The engine's threads call back into this object (table requests): stop them while
    // the whole object still exists, not in the base class's destructor.
    StopThreads();
}

// ---- Life cycle ----

void ResvManDlgController::awakeFromNib() {
    // The list is made by initInstance (or is being read already: StartLoadingSchedule).
    if (!m_lcResvList) {
        return;
    }
    m_lcResvList->setSelectionBehavior(QAbstractItemView::SelectRows);    // no columns
    m_lcResvList->setSelectionMode(QAbstractItemView::ExtendedSelection); // several, or none

    m_model = new ResvTableModel(this, this);
    m_model->setTable(m_lcResvList);
    m_lcResvList->setModel(m_model);
    connect(m_lcResvList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tableViewSelectionDidChange(); });

    if (auto* table = qobject_cast<MyTableView*>(m_lcResvList)) {
        table->shouldSelectRow = [this](int row) { return shouldSelectRow(m_lcResvList, row); };
        table->shouldEditTableColumn = [this](int column, int row) {
            return shouldEditTableColumn(m_lcResvList, m_model->identifier(column), row);
        };
    }
}

void ResvManDlgController::initInstance() {
    LoadSchedule(); // a missing or damaged file is not reported

    struct ButtonSetup {
        ImageBtnCtrl* button;
        char const* id;
        void (ResvManDlgController::*command)(QObject*);
    };
    ButtonSetup const buttons[] = {
        //% "Add"
        {m_btnAdd, QT_TRID_NOOP("IDS_ADD"), &ResvManDlgController::OnAdd},
        //% "Delete"
        {m_btnDelete, QT_TRID_NOOP("IDS_DELETE"), &ResvManDlgController::OnDelete},
        //% "Edit"
        {m_btnEdit, QT_TRID_NOOP("IDS_EDIT"), &ResvManDlgController::OnEdit},
        //% "Settings"
        {m_btnConfig, QT_TRID_NOOP("IDS_CONFIG"), &ResvManDlgController::OnConfig},
        //% "Hide"
        {m_btnTaskTray, QT_TRID_NOOP("IDS_TASK_TRAY"), &ResvManDlgController::OnTaskTray},
        //% "Exit"
        {m_btnExit, QT_TRID_NOOP("IDS_EXIT"), &ResvManDlgController::OnExit},
    };
    for (ButtonSetup const& setup : buttons) {
        if (!setup.button) {
            continue;
        }
        setup.button->setTarget(this);
        setup.button->setString(qtTrId(setup.id));
        auto const command = setup.command;
        setup.button->setAction([this, command](QObject* sender) { (this->*command)(sender); });
        setup.button->SetImages(
            QStringLiteral("Button_Enable.bmp"), QStringLiteral("Button_Enable.bmp"),
            QStringLiteral("Button_Down.bmp"), QStringLiteral("Button_Disable.bmp"));
    }

    displayTheTable(); // the list exists now: show its rows
    // What passed while the program was not running is told once, before the watch loop
    // marks each of them.
    if (m_recordingNotices != nullptr) {
        std::vector<JournalEntry> passed;
        double const now = m_services.clock->now();
        for (SCHEDULEITEM_TAG const& rec : PassedUnrecorded()) {
            passed.push_back(ReservationEntry(JournalKind::Missed, rec, now));
        }
        m_recordingNotices->StartupMissed(passed);
    }
    StartWatchThread();
    ReSettingSchedule();
}

void ResvManDlgController::showWindow() {
    UpdateButtonEnable();
    if (!m_mainWindow) {
        return;
    }
    QScreen* screen =
        m_mainWindow->screen() ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = m_mainWindow->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_mainWindow->move(frame.topLeft());
    }
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

// ---- Table and buttons ----

void ResvManDlgController::displayTheTable() {
    m_reloadQueued.store(false);
    // Every save, the commands' and the recording runs', is followed by a redraw.
    UpdateSaveNotice();
    if (auto* table = qobject_cast<MyTableView*>(m_lcResvList)) {
        table->reloadData();
    } else if (m_model) {
        m_model->reload();
    }
    emit tableReloaded();
}

void ResvManDlgController::requestDisplayTheTable() {
    // Engine threads ask; the main thread reloads later. Requests that arrive while one is
    // still queued fold into it.
    if (m_reloadQueued.exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { displayTheTable(); }, Qt::QueuedConnection);
}

void ResvManDlgController::requestTableReload() {
    requestDisplayTheTable();
}

void ResvManDlgController::UpdateButtonEnable() {
    int const status = MyTableView::selectedRow(m_lcResvList) < 0 ? 3 : 0;
    if (m_btnDelete) {
        m_btnDelete->SetStatus(status);
    }
    if (m_btnEdit) {
        m_btnEdit->SetStatus(status);
    }
}

void ResvManDlgController::SetForceButtonEnable(bool enable) {
    if (m_btnDelete) {
        m_btnDelete->SetStatus(enable ? 0 : 3);
    }
    if (m_btnEdit) {
        if (!enable) {
            m_btnEdit->SetStatus(3);
        } else {
            m_btnEdit->SetStatus(MyTableView::numberOfSelectedRows(m_lcResvList) >= 2 ? 3 : 0);
        }
    }
}

int ResvManDlgController::numberOfRowsInTableView(QTableView*) {
    return m_Schedule ? m_Schedule->m_nCount.load() : 0;
}

QVariant ResvManDlgController::objectValueForTableColumn(QTableView* table,
                                                         QString const& identifier, int row) {
    if (!m_Schedule || row < 0 || row >= m_Schedule->m_nCount.load()) {
        return QVariant();
    }
    SCHEDULEITEM_TAG rec; // the fresh record
    if (!m_Schedule->readScheduleByIndex(row, &rec)) {
        return QVariant(); // the list shrank under us
    }
    if (table && table->property("tag").toInt() != 0) {
        return QVariant();
    }

    uint32_t const band = rec.uFreq >> 24;
    uint32_t const freq = rec.uFreq & 0xFFFFFFu;
    switch (identifier.toInt()) {
    case 0: {
        if (rec.cPending == 0) {
            return NamedIcon(QStringLiteral("icon1.icns"));
        }
        if (rec.cValid == 0) {
            return NamedIcon(QStringLiteral("sleep.icns"));
        }
        SCHEDULE_RETURN result;
        m_Schedule->GlovalCheck(rec, result);
        if (result.nResult == 1) {
            return NamedIcon(QStringLiteral("error3.icns"));
        }
        return QVariant();
    }
    case 1:
        return LocalDateCell(rec.dStartTime);
    case 2:
        //% "✓"
        return rec.uWeek != 0 ? QVariant(qtTrId("IDS_MARU")) : QVariant();
    case 3:
        return LocalTimeCell(rec.dStartTime);
    case 4:
        return LocalTimeCell(rec.dEndTime);
    case 5:
        if (band == 0) {
            return QString::asprintf("AM %d", static_cast<int>(freq));
        }
        return QString::asprintf("FM %.1f", static_cast<double>(freq) / 100.0);
    case 6: {
        if (!ReserveCon) {
            return QVariant();
        }
        char station[256] = {};
        if (!ReserveCon->GetSearchStation(band != 0, freq, station)) {
            return QVariant();
        }
        return Utf8Cell(station, sizeof station);
    }
    case 7:
        return Utf8Cell(rec.cTitle, sizeof rec.cTitle);
    default:
        return QVariant();
    }
}

void ResvManDlgController::setObjectValue(QTableView*, QVariant const&, QString const&, int) {
    // The table is never edited in place.
}

bool ResvManDlgController::shouldSelectRow(QTableView*, int row) {
    SetForceButtonEnable(row >= 0);
    return true;
}

bool ResvManDlgController::shouldEditTableColumn(QTableView*, QString const&, int row) {
    if (row >= 0) {
        OnEdit(nullptr); // a double-click opens the reservation dialog instead
    }
    return false;
}

void ResvManDlgController::tableViewSelectionDidChange() {
    SetForceButtonEnable(MyTableView::selectedRow(m_lcResvList) >= 0);
}

void ResvManDlgController::ShowNotice(NoticeKind kind, QString const& text) {
    if (m_noticeArea != nullptr) {
        m_noticeArea->showNotice(kind, text);
    }
}

void ResvManDlgController::UpdateSaveNotice() {
    if (m_Schedule == nullptr) {
        return;
    }
    SaveOutcome const outcome = m_Schedule->lastSaveOutcome();
    if (outcome.saved) {
        ClearNotice(NoticeKind::SaveFailed);
        return;
    }
    ShowNotice(
        NoticeKind::SaveFailed,
        //% "The reservations could not be saved to %1: %2. The changes since the "
        //% "last save are lost when the program ends."
        qtTrId("IDS_WARN_SAVE_FAILED").arg(SaveFailurePath(outcome), SaveFailureReason(outcome)));
}

void ResvManDlgController::ClearNotice(NoticeKind kind) {
    if (m_noticeArea != nullptr) {
        m_noticeArea->clearNotice(kind);
    }
}
