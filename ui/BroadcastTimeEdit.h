// A time of day as the programme guides write it, typed or stepped: 00:00 to 29:59, where
// 24:00 and later are the small hours after the day. The value is minutes after the day's
// midnight; Up and Down step the hour or the minute, whichever the cursor is in.
#pragma once

#include <QSpinBox>

class BroadcastTimeEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit BroadcastTimeEdit(QWidget* parent = nullptr);

    void stepBy(int steps) override;

protected:
    QString textFromValue(int value) const override;
    int valueFromText(QString const& text) const override;
    // Full-width digits and colon (typed with a Japanese input method) count as their
    // ASCII forms; "2530" becomes "25:30" as it is typed.
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};
