// The push-button of the main window: one of four pictures by state (normal, mouse over,
// pressed, disabled) with a centred title drawn over it. It emits clicked() once, on a
// release over the button.
#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <QString>

class ImageButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class State { Normal, Hover, Pressed, Disabled };

    explicit ImageButton(QWidget* parent = nullptr);

    // What is drawn now; Disabled while the button is disabled.
    State state() const;

    // The title, cut to at most 255 bytes of UTF-8 at a character boundary. It shows at the
    // next drawing.
    void setTitle(QString const& title);
    QString title() const { return text(); }

    // Pictures by resource name, for the four states.
    void setImages(QString const& normal, QString const& hover, QString const& pressed,
                   QString const& disabled);

    // The font of the titles: the platform's Japanese UI font when installed, otherwise a
    // Japanese-capable sans of the same size.
    static QFont titleFont();
    // Where the title's baseline starts inside rect (Qt's top-down coordinates).
    static QPointF titleOrigin(QRectF const& rect, qreal titleWidth, qreal capHeight,
                               qreal descent);

    QSize sizeHint() const override;
    int paintCount() const { return m_paintCount; } // for the tests: redraws done

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The pressed picture stays while the mouse moves off; only the release decides.
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap const& picture() const;

    QPixmap m_normal;
    QPixmap m_hover;
    QPixmap m_pressed;
    QPixmap m_disabled;
    bool m_hovered = false;
    int m_paintCount = 0;
};

// A named image of the application's resources (":/images/<name>"); null when absent.
QPixmap namedPixmap(QString const& name);
