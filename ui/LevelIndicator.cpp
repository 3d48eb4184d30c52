#include "ui/LevelIndicator.h"

namespace {
// One sheet per level: a style sheet is the one way to colour the chunk that every widget
// style honours.
QString sheetFor(LevelIndicator::Level level) {
    char const* chunk = "#3b9a4a"; // normal: green
    if (level == LevelIndicator::Level::Warning) {
        chunk = "#e8a317"; // amber
    } else if (level == LevelIndicator::Level::Critical) {
        chunk = "#d9342b"; // red
    }
    return QStringLiteral("QProgressBar { border: 1px solid palette(dark); border-radius: 3px;"
                          " background: palette(base); }"
                          "QProgressBar::chunk { background-color: %1; border-radius: 2px; }")
        .arg(QLatin1String(chunk));
}
} // namespace

LevelIndicator::LevelIndicator(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(14);
    connect(this, &QProgressBar::valueChanged, this, [this] { updateColour(); });
    updateColour();
}

void LevelIndicator::setWarningValue(double value) {
    m_warning = value;
    updateColour();
}

void LevelIndicator::setCriticalValue(double value) {
    m_critical = value;
    updateColour();
}

void LevelIndicator::clearThresholds() {
    m_warning.reset();
    m_critical.reset();
    updateColour();
}

LevelIndicator::Level LevelIndicator::level() const {
    double const v = value();
    if (m_critical && v >= *m_critical) {
        return Level::Critical;
    }
    if (m_warning && v >= *m_warning) {
        return Level::Warning;
    }
    return Level::Normal;
}

void LevelIndicator::updateColour() {
    Level const now = level();
    // Re-polishing on every value change would be wasted work: only a new level repaints.
    if (m_styled && now == m_shown) {
        return;
    }
    m_shown = now;
    m_styled = true;
    setStyleSheet(sheetFor(now));
}
