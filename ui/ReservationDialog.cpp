#include "ui/ReservationDialog.h"

#include "platform/linux/PresetFile.h"
#include "posix/IClock.h"
#include "store/ReservationTitle.h"
#include "ui/BroadcastTimeEdit.h"
#include "ui/BroadcastTimes.h"
#include "ui/DialogPlacement.h"
#include "ui/MessageBox.h"
#include "ui/ModalSession.h"
#include "ui/ReservationInput.h"
#include "ui/UiTexts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iterator>
#include <span>
#include <utility>

namespace {

// FM frequencies are shown in MHz with one decimal; a frequency between two 0.1 MHz steps
// (80.05, which the dialog accepts) gets two, so showing it and registering again keeps it.
QString formatFm(uint32_t freq) {
    return QString::asprintf(freq % 10 == 0 ? "%.1f" : "%.2f", freq / 100.0);
}

QString formatAm(uint32_t freq) {
    return QString::asprintf("%u", freq);
}

// The recording time label's text for a length in minutes (fractions dropped).
QString recordingTimeText(double minutes) {
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

// Each change is announced: only a new text is set.
void setDescription(QWidget* widget, QString const& text) {
    if (widget->accessibleDescription() != text) {
        widget->setAccessibleDescription(text);
    }
}

// A damaged record's times as 1970-01-01 00:00 UTC: the date picker cannot hold more.
double shownInstant(double instant) {
    return std::isfinite(instant) && std::fabs(instant) <= 253402300799.0 ? instant : 0.0;
}

} // namespace

void ReservationDialog::buildControls() {

    m_date = new QDateTimeEdit(this);

    m_date->setObjectName(QStringLiteral("date"));
    m_date->setDisplayFormat(QStringLiteral("yyyy/MM/dd (ddd)"));
    m_date->setCalendarPopup(true);
    m_start = new BroadcastTimeEdit(this);
    m_start->setObjectName(QStringLiteral("start"));
    m_end = new BroadcastTimeEdit(this);
    m_end->setObjectName(QStringLiteral("end"));
    m_recordingTime = new QLabel(this);
    m_recordingTime->setObjectName(QStringLiteral("recordingTime"));
    m_recordingTime->setMinimumWidth(
        m_recordingTime->fontMetrics().horizontalAdvance(recordingTimeText(23 * 60 + 59)));

    m_band = new QComboBox(this);

    m_band->setObjectName(QStringLiteral("band"));
    //% "Band"
    m_band->setAccessibleName(qtTrId("IDS_A11Y_BAND"));
    // Readers on Linux say a list's text as its name: the name is heard as its description.
    m_band->setAccessibleDescription(qtTrId("IDS_A11Y_BAND"));
    m_band->addItem(QStringLiteral("AM "));
    m_band->addItem(QStringLiteral("FM "));
    m_channel = new QComboBox(this);
    m_channel->setObjectName(QStringLiteral("channel"));
    m_channel->setEditable(true);
    m_channel->setInsertPolicy(QComboBox::NoInsert);
    m_channel->setCompleter(nullptr);
    m_channel->setMinimumContentsLength(8);
    m_channel->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_unit = new QLabel(QStringLiteral("kHz"), this);
    m_unit->setObjectName(QStringLiteral("unit"));
    m_unit->setMinimumWidth(m_unit->fontMetrics().horizontalAdvance(QStringLiteral("MHz")));
    m_station = new QLabel(this);
    m_station->setObjectName(QStringLiteral("station"));
    m_station->setTextFormat(Qt::PlainText);
    // A long station name must not widen the dialog: it is cut short with an ellipsis and
    // shown whole in the tooltip.
    m_station->setMaximumWidth(m_station->fontMetrics().averageCharWidth() * 40);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setMinimumWidth(m_title->fontMetrics().averageCharWidth() * 40);

    auto* weekRow = new QHBoxLayout();
    weekRow->setSpacing(2);
    for (int k = 0; k < 7; ++k) {
        auto* button = new QPushButton(weekdayShortName(k), this);
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        button->setObjectName(QStringLiteral("weekday%1").arg(k));
        // The short name on the button; a screen reader says the whole day and what it does.
        button->setAccessibleName(weekdayName(k));
        //% "Repeats the recording every %1."
        button->setAccessibleDescription(qtTrId("IDS_A11Y_WEEKDAY").arg(weekdayName(k)));
        weekRow->addWidget(button);
        m_weekdays[k] = button;
    }
    // Seven toggles of one width, wide enough for the longest day name, as one strip.
    int dayWidth = 0;
    for (QPushButton* const button : m_weekdays) {
        dayWidth = std::max(dayWidth, button->fontMetrics().horizontalAdvance(button->text()));
    }
    dayWidth = std::max(dayWidth + 20, 44);
    for (QPushButton* const button : m_weekdays) {
        button->setFixedWidth(dayWidth);
    }
    weekRow->addStretch(1);

    auto* endRow = new QHBoxLayout();
    endRow->addWidget(m_end);
    endRow->addSpacing(12);
    endRow->addWidget(m_recordingTime, 1);

    auto* channelRow = new QHBoxLayout();
    channelRow->addWidget(m_band);
    channelRow->addWidget(m_channel);
    channelRow->addWidget(m_unit);
    channelRow->addStretch(1);

    auto* form = new QFormLayout();
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    //% "Date:"
    form->addRow(qtTrId("IDS_REGIST_DATE"), m_date);
    //% "Start:"
    form->addRow(qtTrId("IDS_REGIST_START"), m_start);
    //% "End:"
    form->addRow(qtTrId("IDS_REGIST_END"), endRow);
    //% "Frequency:"
    form->addRow(qtTrId("IDS_REGIST_CHANNEL"), channelRow);
    //% "Station:"
    form->addRow(qtTrId("IDS_REGIST_STATION"), m_station);
    //% "Title:"
    form->addRow(qtTrId("IDS_REGIST_PROGRAM"), m_title);
    //% "Every week on:"
    form->addRow(qtTrId("IDS_REGIST_WEEKLY"), weekRow);
    // Rows of several controls: the label names the first, for screen readers.
    for (auto [row, field] :
         {std::pair<QLayout*, QWidget*>{endRow, m_end}, {channelRow, m_channel}}) {
        if (auto* label = qobject_cast<QLabel*>(form->labelForField(row))) {
            label->setBuddy(field);
        }
    }
    // A reader reads a list by its text; the text field in it is named as the list's label.
    if (auto* label = qobject_cast<QLabel*>(form->labelForField(channelRow))) {
        m_channel->lineEdit()->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
    }

    //% "Register"
    m_register = new QPushButton(qtTrId("IDS_REGIST_OK"), this);
    m_register->setObjectName(QStringLiteral("register"));
    m_register->setDefault(true);
    //% "Cancel"
    m_cancel = new QPushButton(qtTrId("IDS_REGIST_CANCEL"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    // Return on the focused Cancel button cancels; elsewhere it registers.
    m_cancel->setAutoDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_register, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);

    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addSpacing(8);
    top->addWidget(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    // Typing order follows the form from top to bottom.
    QWidget* const order[] = {m_date,        m_start,       m_end,         m_band,
                              m_channel,     m_title,       m_weekdays[0], m_weekdays[1],
                              m_weekdays[2], m_weekdays[3], m_weekdays[4], m_weekdays[5],
                              m_weekdays[6], m_register,    m_cancel};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }

    connect(m_band, &QComboBox::activated, this, &ReservationDialog::bandChosen);
    connect(m_channel, &QComboBox::activated, this, &ReservationDialog::channelChosen);
    // Typed channels find their station as they are typed.
    connect(m_channel->lineEdit(), &QLineEdit::textEdited, this, &ReservationDialog::showStation);
    connect(m_start, &QSpinBox::valueChanged, this, &ReservationDialog::showRecordingLength);
    connect(m_end, &QSpinBox::valueChanged, this, &ReservationDialog::showRecordingLength);
    connect(m_register, &QPushButton::clicked, this, &ReservationDialog::registerReservation);
    connect(m_cancel, &QPushButton::clicked, this, &ReservationDialog::cancel);
    // Shortcuts come before the focused control, so Ctrl+Return registers on a focused
    // button as well (plain Return on Cancel cancels).
    for (QKeyCombination const keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this,
                &ReservationDialog::registerReservation);
    }
}

ReservationDialog::ReservationDialog(IClock* clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_clock(clock) {
    //% "Recording Reservation"
    setWindowTitle(qtTrId("IDS_REGIST_WINDOW_TITLE"));
}

void ReservationDialog::setPresetFile(std::string path) {
    m_presetPath = std::move(path);
}

double ReservationDialog::now() const {
    if (m_clock != nullptr) {
        return m_clock->now();
    }
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void ReservationDialog::loadPresets() {
    m_presets.clear();
    std::string const path =
        m_presetPath.empty() ? PresetFile::companionPreferencesPath() : m_presetPath;
    if (path.empty()) {
        return; // no home folder: every slot stays empty
    }
    PresetFile::read(path, m_presets);
}

void ReservationDialog::fillChannels(bool fm) {
    // Refilling the list neither selects an entry nor touches the typed text.
    QString const text = m_channel->currentText();
    m_channel->clear();
    for (ChannelPreset const& slot : std::span(m_presets.band(fm), ChannelPresetTable::kSlots)) {
        if (slot.frequency != 0) {
            m_channel->addItem(fm ? formatFm(slot.frequency) : formatAm(slot.frequency));
        }
    }
    m_channel->setCurrentIndex(-1);
    m_channel->setEditText(text);
}

void ReservationDialog::selectChannel(int index) {
    if (index >= 0 && index < m_channel->count()) {
        m_channel->setCurrentIndex(index);
        m_channel->setEditText(m_channel->itemText(index));
    }
}

void ReservationDialog::selectBand(int index) {
    if (index >= 0 && index < m_band->count()) {
        m_band->setCurrentIndex(index);
    }
}

bool ReservationDialog::selectedBandIsFm() const {
    return m_band->currentIndex() != 0;
}

void ReservationDialog::showStation() {
    bool const fm = selectedBandIsFm();
    uint32_t const freq = channelFrequency(fm, m_channel->currentText());
    if (std::optional<std::string> const station = m_presets.station(fm, freq)) {
        m_unit->setText(fm ? QStringLiteral("MHz") : QStringLiteral("kHz"));
        QString const name = QString::fromStdString(*station);
        m_station->setText(
            m_station->fontMetrics().elidedText(name, Qt::ElideRight, m_station->maximumWidth()));
        m_station->setToolTip(plainToolTip(name));
    } else {
        m_station->setText(QString());
        m_station->setToolTip(QString());
    }
    // Heard as the frequency is typed or chosen, as the label beside it is seen.
    setDescription(m_channel, m_station->toolTip());
}

void ReservationDialog::bandChosen() {
    int const band = m_band->currentIndex();
    selectBand(band);
    m_channel->setEditText(QString());
    fillChannels(band != 0);
    selectChannel(0);
    showStation();
}

void ReservationDialog::channelChosen() {
    int const index = m_channel->currentIndex();
    if (index >= 0) {
        selectChannel(index);
    }
    showStation();
}

void ReservationDialog::showRecordingTime(double seconds) {
    m_recordingTime->setText(recordingTimeText(seconds / 60.0));
    // Heard on the time being changed, as the label beside the end is seen.
    setDescription(m_start, m_recordingTime->text());
    setDescription(m_end, m_recordingTime->text());
}

void ReservationDialog::showRecordingLength() {
    // The length on the date picker's day, so that a daylight-saving change counts.
    QDate const day = m_date->date();
    int const start = m_start->value();
    showRecordingTime(composeEnd(day, start, m_end->value()) - composeStart(day, start));
}

void ReservationDialog::showAlert(QString const& message) {
    MessageBox::show(this, appTitle(), message, QStringLiteral("OK"));
}

void ReservationDialog::registerReservation() {
    // The same checks, in the same order, as the command line's.
    if (ReservationProblem const problem = checkReservation(input(), now());
        problem != ReservationProblem::None) {
        showAlert(reservationProblemText(problem));
        return;
    }
    m_ownButton = true;
    ModalSession::stopWithCode(Accepted);
}

void ReservationDialog::cancel() {
    m_ownButton = true;
    ModalSession::stopWithCode(Rejected);
}

void ReservationDialog::reject() {
    cancel();
}

void ReservationDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

QPushButton* ReservationDialog::weekdayButton(int weekday) const {
    return weekday >= 0 && weekday < 7 ? m_weekdays[weekday] : nullptr;
}

void ReservationDialog::setReservation(Reservation const& rec) {
    m_reservation = rec;
}

void ReservationDialog::showReservation() {
    Reservation const& rec = m_reservation;
    bool const fm = rec.isFm();
    uint32_t const freq = rec.channel();

    for (int k = 0; k < 7; ++k) {
        weekdayButton(k)->setChecked(false);
    }
    m_band->clear();
    m_band->addItem(QStringLiteral("AM "));
    m_band->addItem(QStringLiteral("FM "));
    selectBand(fm ? 1 : 0);

    m_channel->setEditText(QString());
    fillChannels(fm);
    QString const typed = freq == 0 ? QString() : (fm ? formatFm(freq) : formatAm(freq));
    if (m_channel->count() == 0) {
        m_channel->setEditText(typed);
    } else if (int const slot = m_presets.find(fm, freq); slot >= 0) {
        ChannelPreset const* const bandSlots = m_presets.band(fm);
        int entry = 0;
        for (int i = 0; i < slot; ++i) {
            entry += bandSlots[i].frequency != 0 ? 1 : 0;
        }
        selectChannel(entry);
    } else if (freq == 0) {
        selectChannel(0);
    } else {
        m_channel->setEditText(typed);
    }
    showStation();

    // The day and times as written; the end as a time of that day.
    BroadcastTimes const times =
        broadcastTimes(shownInstant(rec.start), shownInstant(rec.end), rec.weekdays, m_lateNight);
    m_date->setDate(times.day);
    m_start->setValue(times.start);
    m_end->setValue(times.end);
    showRecordingTime(rec.end - rec.start);

    // As the table shows it: a title that is not valid UTF-8 shows no text at all. At most
    // 255 bytes, as the field holds them.
    Reservation shown = rec;
    shown.title[sizeof shown.title - 1] = '\0';
    std::optional<std::string> const title = ReservationTitle::text(shown);
    m_titleUnreadable = !title;
    m_title->setText(title ? QString::fromStdString(*title) : QString());

    for (int k = 0; k < 7; ++k) {
        if ((times.week & kWeekdayBits[k]) != 0) {
            weekdayButton(k)->setChecked(true);
        }
    }
}

ReservationInput ReservationDialog::input() const {
    ReservationInput input;
    input.date = m_date->date();
    input.start = m_start->value();
    input.end = m_end->value();
    input.fm = selectedBandIsFm();
    input.channel = m_channel->currentText();
    input.title = m_title->text();
    for (int k = 0; k < 7; ++k) {
        if (weekdayButton(k)->isChecked()) {
            input.week += kWeekdayBits[k];
        }
    }
    return input;
}

void ReservationDialog::takeControls() {
    char title[sizeof m_reservation.title];
    std::memcpy(title, m_reservation.title, sizeof title);
    composeReservation(input(), now(), m_reservation);
    // A title it could not show is kept as it was unless the user typed a new one.
    if (m_titleUnreadable && !m_title->isModified()) {
        std::memcpy(m_reservation.title, title, sizeof title);
    }
}

int ReservationDialog::exec() {
    // The controls are made on the first run: the start-up needs only the presets.
    if (m_date == nullptr) {
        buildControls();
    }
    Reservation const before = m_reservation;
    m_changed = false;
    m_ownButton = false;

    placeDialogOverParent(this, parentWidget());
    loadPresets();
    showReservation();
    m_date->setFocus();

    int result = ModalSession::kContinues;
    {
        ModalSession session(this);
        for (;;) {
            result = session.poll();
            if (result == ModalSession::kAborted ||
                (result != ModalSession::kContinues && m_ownButton)) {
                break;
            }
        }
    }

    if (result == Accepted) {
        takeControls();
        m_changed = !(before == m_reservation);
    }
    hide();
    setResult(result == Accepted ? Accepted : Rejected);
    return result == Accepted ? Accepted : Rejected;
}
