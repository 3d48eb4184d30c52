// A read-only level bar whose colour follows a warning and a critical value: the normal
// colour below the warning value, amber from it, red from the critical value.
#pragma once

#include <QProgressBar>

#include <optional>

class LevelIndicator : public QProgressBar {
    Q_OBJECT
public:
    explicit LevelIndicator(QWidget* parent = nullptr);

    void setWarningValue(double value);
    void setCriticalValue(double value);
    // Back to the normal colour whatever the value.
    void clearThresholds();
    std::optional<double> warningValue() const { return m_warning; }
    std::optional<double> criticalValue() const { return m_critical; }

    enum class Level { Normal, Warning, Critical };
    Level level() const;

private:
    void updateColour();

    std::optional<double> m_warning;
    std::optional<double> m_critical;
    Level m_shown = Level::Normal;
    bool m_styled = false;
};
