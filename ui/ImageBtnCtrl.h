// The push-button of the main window: one of four pictures by status (normal, mouse over,
// pressed, disabled) with a centred title drawn over it. It reacts to the mouse by itself
// and sends its action once, on a release over the control.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class ImageBtnCtrl : public QWidget {
    Q_OBJECT
public:
    using Action = std::function<void(QObject* sender)>;
    using MouseEventAction = std::function<void(int status)>;

    explicit ImageBtnCtrl(QWidget* parent = nullptr);
    ~ImageBtnCtrl() override;

    // 0 normal, 1 mouse over, 2 pressed, 3 disabled. The same status again does nothing.
    void SetStatus(int32_t status);
    int32_t status() const { return m_Status; }

    QObject* target() const { return targetObject; }
    void setTarget(QObject* target);
    Action const& action() const { return targetSelector; }
    void setAction(Action action);

    // Copies the title's UTF-8 form (at most 255 bytes, cut at a character boundary). The
    // new title shows at the next drawing.
    void setString(QString const& title);
    QString title() const;

    // Pictures by resource name, for status 0, 1, 2 and 3.
    void SetImages(QString const& normal, QString const& over, QString const& down,
                   QString const& disabled);
    void RedrawStatus();

    // Optional receiver of presses (told the status 2).
    void setMouseEventDelegate(QObject* delegate, MouseEventAction selector);

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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap const* currentPicture() const;

    int32_t m_Status = 0;
    QPixmap m_pDC1;
    QPixmap m_pDC2;
    QPixmap m_pDC3;
    QPixmap m_pDC4;
    int32_t m_ParamFlg = 0;
    QPointer<QObject> targetObject;
    Action targetSelector;
    QPointer<QObject> mouseEventDelegate;
    MouseEventAction mouseEventSelector;
    char cButtonTitle[256] = {};

    QPixmap m_shown; // the picture RedrawStatus chose
    int m_paintCount = 0;
};

// A named image of the application's resources (":/images/<name>"); null when absent.
QPixmap NamedPixmap(QString const& name);
