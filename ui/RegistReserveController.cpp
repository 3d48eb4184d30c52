#include "ui/RegistReserveController.h"

#include "platform/linux/LocalCalendar.h"
#include "platform/linux/PresetFile.h"
#include "ui/AlertPanel.h"
#include "ui/DialogPlacement.h"
#include "ui/ModalSession.h"
#include "ui/RegistReserveWindow.h"
#include "ui/ReservationInput.h"
#include "ui/UiTexts.h"

#include <QComboBox>
#include <QCompleter>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

constexpr uint32_t kFreqMask = 0x00FFFFFF;

// FM frequencies are shown in MHz with one decimal; a frequency between two 0.1 MHz steps
// (80.05, which the dialog accepts) gets two, so showing it and registering again keeps it.
QString FormatFm(uint32_t freq) {
    return QString::asprintf(freq % 10 == 0 ? "%.1f" : "%.2f", freq / 100.0);
}

QString FormatAm(uint32_t freq) {
    return QString::asprintf("%u", freq);
}

QString StationName(PRESETITEM_TAG const& slot) {
    return QString::fromUtf8(slot.cName, static_cast<qsizetype>(PresetNameLength(slot)));
}

// The recording time label's text for a length in minutes (fractions dropped).
QString RecordingTimeText(double minutes) {
    if (minutes >= 60.0) {
        long long const whole = static_cast<long long>(minutes);
        //% "Recording time: %1 h %2 min"
        return qtTrId("IDS_RECTIME_HOURANDMINUTE")
            .arg(static_cast<long long>(minutes / 60.0))
            .arg(whole % 60);
    }
    //% "Recording time: %1 min"
    return qtTrId("IDS_RECTIME_MINUTE").arg(static_cast<long long>(minutes));
}

void SetPicker(QDateTimeEdit* picker, double instant) {
    // A damaged record must not reach QDateTime with a value it cannot hold.
    if (!std::isfinite(instant) || std::fabs(instant) > 253402300799.0) {
        instant = 0.0;
    }
    picker->setDateTime(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(instant * 1000.0)));
}

} // namespace

RegistReserveController::RegistReserveController(QObject* parent) : QObject(parent) {}

RegistReserveController::~RegistReserveController() {
    delete m_RegistWindow;
}

void RegistReserveController::awakeFromNib() {
    if (m_RegistWindow == nullptr) {
        BuildWindow();
    }
    m_rgData = std::make_unique<SCHEDULEITEM_TAG>();
    LoadChannelPreset();
    m_bUpdate = false;
}

void RegistReserveController::BuildWindow() {
    auto* window = new RegistReserveWindow();
    m_RegistWindow = window;
    //% "Recording Reservation"
    window->setWindowTitle(qtTrId("IDS_REGIST_WINDOW_TITLE"));

    m_dpDate = new QDateTimeEdit(window);
    m_dpDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd (ddd)"));
    m_dpDate->setCalendarPopup(true);
    m_dpStart = new QDateTimeEdit(window);
    m_dpStart->setDisplayFormat(QStringLiteral("HH:mm"));
    m_dpEnd = new QDateTimeEdit(window);
    m_dpEnd->setDisplayFormat(QStringLiteral("HH:mm"));
    m_txtRecTime = new QLabel(window);
    m_txtRecTime->setMinimumWidth(
        m_txtRecTime->fontMetrics().horizontalAdvance(RecordingTimeText(23 * 60 + 59)));

    m_cmbAMFM = new QComboBox(window);
    m_cmbAMFM->addItem(QStringLiteral("AM "));
    m_cmbAMFM->addItem(QStringLiteral("FM "));
    m_cmbChannel = new QComboBox(window);
    m_cmbChannel->setEditable(true);
    m_cmbChannel->setInsertPolicy(QComboBox::NoInsert);
    m_cmbChannel->setCompleter(nullptr);
    m_cmbChannel->setMinimumContentsLength(8);
    m_cmbChannel->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_txtHz = new QLabel(QStringLiteral("kHz"), window);
    m_txtHz->setMinimumWidth(m_txtHz->fontMetrics().horizontalAdvance(QStringLiteral("MHz")));
    m_txtStation = new QLabel(window);
    m_txtStation->setTextFormat(Qt::PlainText);
    // A long station name must not widen the dialog: it is cut short with an ellipsis and
    // shown whole in the tooltip.
    m_txtStation->setMaximumWidth(m_txtStation->fontMetrics().averageCharWidth() * 40);
    m_edtTitle = new QLineEdit(window);
    m_edtTitle->setMinimumWidth(m_edtTitle->fontMetrics().averageCharWidth() * 40);

    QPushButton** const dayButtons[7] = {&m_btnSun, &m_btnMon, &m_btnTue, &m_btnWed,
                                         &m_btnThu, &m_btnFri, &m_btnSat};
    auto* weekRow = new QHBoxLayout();
    weekRow->setSpacing(2);
    for (int k = 0; k < 7; ++k) {
        auto* button = new QPushButton(WeekdayShortName(k), window);
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setProperty("tag", k);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, button] { OnWeekly(button); });
        weekRow->addWidget(button);
        *dayButtons[k] = button;
    }
    // Seven toggles of one width, wide enough for the longest day name, as one strip.
    int dayWidth = 0;
    for (QPushButton** const button : dayButtons) {
        dayWidth =
            std::max(dayWidth, (*button)->fontMetrics().horizontalAdvance((*button)->text()));
    }
    dayWidth = std::max(dayWidth + 20, 44);
    for (QPushButton** const button : dayButtons) {
        (*button)->setFixedWidth(dayWidth);
    }
    weekRow->addStretch(1);

    auto* endRow = new QHBoxLayout();
    endRow->addWidget(m_dpEnd);
    endRow->addSpacing(12);
    endRow->addWidget(m_txtRecTime, 1);

    auto* channelRow = new QHBoxLayout();
    channelRow->addWidget(m_cmbAMFM);
    channelRow->addWidget(m_cmbChannel);
    channelRow->addWidget(m_txtHz);
    channelRow->addStretch(1);

    auto* form = new QFormLayout();
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    //% "Date:"
    form->addRow(qtTrId("IDS_REGIST_DATE"), m_dpDate);
    //% "Start:"
    form->addRow(qtTrId("IDS_REGIST_START"), m_dpStart);
    //% "End:"
    form->addRow(qtTrId("IDS_REGIST_END"), endRow);
    //% "Frequency:"
    form->addRow(qtTrId("IDS_REGIST_CHANNEL"), channelRow);
    //% "Station:"
    form->addRow(qtTrId("IDS_REGIST_STATION"), m_txtStation);
    //% "Title:"
    form->addRow(qtTrId("IDS_REGIST_PROGRAM"), m_edtTitle);
    //% "Every week on:"
    form->addRow(qtTrId("IDS_REGIST_WEEKLY"), weekRow);

    //% "Register"
    m_btnRegist = new QPushButton(qtTrId("IDS_REGIST_OK"), window);
    m_btnRegist->setDefault(true);
    //% "Cancel"
    m_btnCancel = new QPushButton(qtTrId("IDS_REGIST_CANCEL"), window);
    // Return on the focused Cancel button cancels; elsewhere it registers.
    m_btnCancel->setAutoDefault(true);
    auto* buttons = new QDialogButtonBox(window);
    buttons->addButton(m_btnRegist, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_btnCancel, QDialogButtonBox::RejectRole);

    auto* top = new QVBoxLayout(window);
    top->addLayout(form);
    top->addSpacing(8);
    top->addWidget(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    // Typing order follows the form from top to bottom.
    QWidget* const order[] = {m_dpDate,   m_dpStart, m_dpEnd,  m_cmbAMFM,   m_cmbChannel,
                              m_edtTitle, m_btnSun,  m_btnMon, m_btnTue,    m_btnWed,
                              m_btnThu,   m_btnFri,  m_btnSat, m_btnRegist, m_btnCancel};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }

    connect(m_cmbAMFM, &QComboBox::activated, this, [this] { OnSelchangeAmfmCombo(m_cmbAMFM); });
    connect(m_cmbChannel, &QComboBox::activated, this,
            [this] { OnSelchangeChannelCombo(m_cmbChannel); });
    // Typed channels find their station as they are typed.
    connect(m_cmbChannel->lineEdit(), &QLineEdit::textEdited, this, [this] { UpdateDisplay(); });
    connect(m_dpStart, &QDateTimeEdit::dateTimeChanged, this,
            [this] { OnDatetimeChangeStartTime(m_dpStart); });
    connect(m_dpEnd, &QDateTimeEdit::dateTimeChanged, this,
            [this] { OnDatetimeChangeEndTime(m_dpEnd); });
    connect(m_btnRegist, &QPushButton::clicked, this, [this] { OnRegist(m_btnRegist); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { OnCancelRegist(m_btnCancel); });
    connect(window, &RegistReserveWindow::cancelRequested, this,
            [this] { OnCancelRegist(m_btnCancel); });
    connect(window, &RegistReserveWindow::registerRequested, this,
            [this] { OnRegist(m_btnRegist); });
}

void RegistReserveController::setNowFunction(NowFunction now) {
    m_now = std::move(now);
}

void RegistReserveController::setPresetFilePath(std::string path) {
    m_presetFilePath = std::move(path);
}

double RegistReserveController::Now() const {
    if (m_now) {
        return m_now();
    }
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void RegistReserveController::LoadChannelPreset() {
    std::memset(&presets, 0, sizeof presets);
    std::string const path =
        m_presetFilePath.empty() ? CompanionPreferencesPath() : m_presetFilePath;
    if (path.empty()) {
        return; // no home folder: every slot stays empty
    }
    LoadChannelPresetFile(path, presets);
}

void RegistReserveController::UpdateCombChannel(bool fm) {
    // Refilling the list neither selects an entry nor touches the typed text.
    QString const text = m_cmbChannel->currentText();
    m_cmbChannel->clear();
    PRESETITEM_TAG const* const bandSlots = fm ? presets.psFM : presets.psAM;
    for (int i = 0; i < 12; ++i) {
        if (bandSlots[i].uFreq != 0) {
            m_cmbChannel->addItem(fm ? FormatFm(bandSlots[i].uFreq) : FormatAm(bandSlots[i].uFreq));
        }
    }
    m_cmbChannel->setCurrentIndex(-1);
    m_cmbChannel->setEditText(text);
}

void RegistReserveController::SetSelectCombChannel(int index) {
    if (index >= 0 && index < m_cmbChannel->count()) {
        m_cmbChannel->setCurrentIndex(index);
        m_cmbChannel->setEditText(m_cmbChannel->itemText(index));
    }
}

void RegistReserveController::SetSelectCombAMFM(int index) {
    if (index >= 0 && index < m_cmbAMFM->count()) {
        m_cmbAMFM->setCurrentIndex(index);
    }
}

int RegistReserveController::SearchChannel(bool fm, uint32_t freq) {
    if (freq == 0) {
        return -1;
    }
    PRESETITEM_TAG const* const bandSlots = fm ? presets.psFM : presets.psAM;
    for (int i = 0; i < 12; ++i) {
        if (bandSlots[i].uFreq != 0 && bandSlots[i].uFreq == freq) {
            return i;
        }
    }
    return -1;
}

bool RegistReserveController::GetSearchStation(bool fm, uint32_t freq, char* station) {
    int const slot = SearchChannel(fm, freq);
    if (slot < 0 || station == nullptr) {
        return false;
    }
    PRESETITEM_TAG const& item = fm ? presets.psFM[slot] : presets.psAM[slot];
    // A name that fills its 256 bytes without a terminator is cut to 255.
    std::size_t const length = std::min<std::size_t>(PresetNameLength(item), 255);
    std::memcpy(station, item.cName, length);
    station[length] = '\0';
    return true;
}

bool RegistReserveController::SelectedBandIsFM() const {
    return m_cmbAMFM->currentIndex() != 0;
}

void RegistReserveController::UpdateDisplay() {
    bool const fm = SelectedBandIsFM();
    uint32_t const freq = ChannelFrequency(fm, m_cmbChannel->currentText());
    int const slot = SearchChannel(fm, freq);
    if (slot >= 0) {
        m_txtHz->setText(fm ? QStringLiteral("MHz") : QStringLiteral("kHz"));
        QString const name = StationName(fm ? presets.psFM[slot] : presets.psAM[slot]);
        m_txtStation->setText(m_txtStation->fontMetrics().elidedText(name, Qt::ElideRight,
                                                                     m_txtStation->maximumWidth()));
        m_txtStation->setToolTip(name);
    } else {
        m_txtStation->setText(QString());
        m_txtStation->setToolTip(QString());
    }
}

void RegistReserveController::OnSelchangeAmfmCombo(QObject* /*sender*/) {
    int const band = m_cmbAMFM->currentIndex();
    SetSelectCombAMFM(band);
    m_cmbChannel->setEditText(QString());
    UpdateCombChannel(band != 0);
    SetSelectCombChannel(0);
    UpdateDisplay();
}

void RegistReserveController::OnSelchangeChannelCombo(QObject* /*sender*/) {
    int const index = m_cmbChannel->currentIndex();
    if (index >= 0) {
        SetSelectCombChannel(index);
    }
    UpdateDisplay();
}

void RegistReserveController::ShowRecordingTime(double seconds) {
    m_txtRecTime->setText(RecordingTimeText(seconds / 60.0));
}

void RegistReserveController::OnDatetimeChangeStartTime(QObject* /*sender*/) {
    // The length on the date picker's day, so that a daylight-saving change counts.
    QDate const day = m_dpDate->date();
    QTime const start = m_dpStart->time();
    ShowRecordingTime(ComposeEnd(day, start, m_dpEnd->time()) - ComposeStart(day, start));
}

void RegistReserveController::OnDatetimeChangeEndTime(QObject* sender) {
    OnDatetimeChangeStartTime(sender);
}

void RegistReserveController::OnWeekly(QObject* /*sender*/) {}

void RegistReserveController::ShowAlert(QString const& message) {
    RunAlertPanel(m_RegistWindow, AppTitle(), message, QStringLiteral("OK"));
}

void RegistReserveController::OnRegist(QObject* /*sender*/) {
    if (m_edtTitle->text().toUtf8().size() > 255) {
        //% "The title is too long. Use at most 255 bytes (about 85 Japanese characters)."
        ShowAlert(qtTrId("IDS_ERR_TOO_LONG_TITLE"));
        return;
    }
    if (!ChannelCheck() || !DateCheck()) {
        return;
    }
    m_bSelfButton = true;
    ModalSession::stopModalWithCode(1);
}

void RegistReserveController::OnCancelRegist(QObject* /*sender*/) {
    m_bSelfButton = true;
    ModalSession::stopModalWithCode(0);
}

bool RegistReserveController::ChannelCheck() {
    bool const valid =
        CheckFrequency(SelectedBandIsFM(), m_cmbChannel->currentText()) == ReservationProblem::None;
    if (!valid) {
        //% "The frequency is not valid. AM: 522 to 1602 kHz in steps of 9 kHz. FM: 76.0 to "
        //% "90.0 MHz."
        ShowAlert(qtTrId("IDS_ERR_INVALID_FREQ"));
    }
    return valid;
}

QPushButton* RegistReserveController::WeekdayButton(int weekday) const {
    QPushButton* const buttons[7] = {m_btnSun, m_btnMon, m_btnTue, m_btnWed,
                                     m_btnThu, m_btnFri, m_btnSat};
    return weekday >= 0 && weekday < 7 ? buttons[weekday] : nullptr;
}

bool RegistReserveController::DateCheck() {
    if (CheckTime(Input(), Now()) == ReservationProblem::EndPassed) {
        //% "The end time of this recording has already passed."
        ShowAlert(qtTrId("IDS_ERR_PASSED_REC_TIME"));
        return false;
    }
    return true;
}

void RegistReserveController::SetRegistParam(SCHEDULEITEM_TAG const* rec) {
    if (rec == nullptr) {
        return;
    }
    if (!m_rgData) {
        m_rgData = std::make_unique<SCHEDULEITEM_TAG>();
    }
    *m_rgData = *rec;
}

void RegistReserveController::GetRegistParam(SCHEDULEITEM_TAG* rec) {
    if (rec == nullptr || !m_rgData) {
        return;
    }
    *rec = *m_rgData;
}

bool RegistReserveController::IsAuthorizeUpdate() {
    return m_bUpdate;
}

void RegistReserveController::RecordToControls() {
    SCHEDULEITEM_TAG const& rec = *m_rgData;
    bool const fm = (rec.uFreq >> 24) != 0;
    uint32_t const freq = rec.uFreq & kFreqMask;

    for (int k = 0; k < 7; ++k) {
        WeekdayButton(k)->setChecked(false);
    }
    m_cmbAMFM->clear();
    m_cmbAMFM->addItem(QStringLiteral("AM "));
    m_cmbAMFM->addItem(QStringLiteral("FM "));
    SetSelectCombAMFM(fm ? 1 : 0);

    m_cmbChannel->setEditText(QString());
    UpdateCombChannel(fm);
    QString const typed = freq == 0 ? QString() : (fm ? FormatFm(freq) : FormatAm(freq));
    if (m_cmbChannel->count() == 0) {
        m_cmbChannel->setEditText(typed);
    } else if (int const slot = SearchChannel(fm, freq); slot >= 0) {
        PRESETITEM_TAG const* const bandSlots = fm ? presets.psFM : presets.psAM;
        int entry = 0;
        for (int i = 0; i < slot; ++i) {
            entry += bandSlots[i].uFreq != 0 ? 1 : 0;
        }
        SetSelectCombChannel(entry);
    } else if (freq == 0) {
        SetSelectCombChannel(0);
    } else {
        m_cmbChannel->setEditText(typed);
    }
    UpdateDisplay();

    SetPicker(m_dpDate, rec.dStartTime);
    SetPicker(m_dpStart, rec.dStartTime);
    // The end's clock time on the start's day, with the start's second.
    QDate const day = LocalDate(rec.dStartTime);
    QTime const end = LocalTime(rec.dEndTime);
    SetPicker(m_dpEnd, LocalWallClock(day.year(), day.month(), day.day(), end.hour(), end.minute(),
                                      LocalTime(rec.dStartTime).second()));
    ShowRecordingTime(rec.dEndTime - rec.dStartTime);

    // As the table shows it: a title that is not valid UTF-8 shows no text at all.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString const title = decoder.decode(QByteArrayView(
        rec.cTitle, static_cast<qsizetype>(std::min<std::size_t>(ScheduleTitleLength(rec), 255))));
    m_titleUnreadable = decoder.hasError();
    m_edtTitle->setText(m_titleUnreadable ? QString() : title);

    for (int k = 0; k < 7; ++k) {
        if ((rec.uWeek & kWeeklyKeys[k]) != 0) {
            WeekdayButton(k)->setChecked(true);
        }
    }
}

ReservationInput RegistReserveController::Input() const {
    ReservationInput input;
    input.date = m_dpDate->date();
    input.start = m_dpStart->time();
    input.end = m_dpEnd->time();
    input.fm = SelectedBandIsFM();
    input.channel = m_cmbChannel->currentText();
    input.title = m_edtTitle->text();
    for (int k = 0; k < 7; ++k) {
        QPushButton* const button = WeekdayButton(k);
        if (button->isChecked()) {
            input.week += kWeeklyKeys[button->property("tag").toInt()];
        }
    }
    return input;
}

void RegistReserveController::ControlsToRecord() {
    char title[sizeof m_rgData->cTitle];
    std::memcpy(title, m_rgData->cTitle, sizeof title);
    ComposeReservation(Input(), Now(), *m_rgData);
    // A title it could not show is kept as it was unless the user typed a new one.
    if (m_titleUnreadable && !m_edtTitle->isModified()) {
        std::memcpy(m_rgData->cTitle, title, sizeof title);
    }
}

bool RegistReserveController::DoModal(QWidget* parent) {
    // Made on the first run when the program did not make it at start-up; the record handed
    // in stays.
    if (m_RegistWindow == nullptr) {
        BuildWindow();
    }
    if (!m_rgData) {
        m_rgData = std::make_unique<SCHEDULEITEM_TAG>();
    }
    SCHEDULEITEM_TAG const before = *m_rgData;
    m_bUpdate = false;
    m_bSelfButton = false;

    PlaceDialogOverParent(m_RegistWindow, parent);
    LoadChannelPreset();
    RecordToControls();
    m_dpDate->setFocus();

    int result = ModalSession::kRunContinuesResponse;
    {
        ModalSession session(m_RegistWindow);
        for (;;) {
            result = session.runModalSession();
            if (result == ModalSession::kRunAbortedResponse ||
                (result != ModalSession::kRunContinuesResponse && m_bSelfButton)) {
                break;
            }
        }
    }

    if (result == 1) {
        ControlsToRecord();
        m_bUpdate = !(before == *m_rgData);
    }
    m_RegistWindow->hide();
    return result == 1;
}
