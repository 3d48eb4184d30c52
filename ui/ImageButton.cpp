#include "ui/ImageButton.h"

#include <QEnterEvent>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPixmapCache>

QPixmap namedPixmap(QString const& name) {
    QPixmap pixmap;
    QString const key = QStringLiteral("resvman-named:") + name;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap.load(QStringLiteral(":/images/") + name);
        if (!pixmap.isNull()) {
            QPixmapCache::insert(key, pixmap);
        }
    }
    return pixmap;
}

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover, false); // enter/leave events are all we need
    // Reached with Tab and pressed with Space; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

ImageButton::State ImageButton::state() const {
    if (!isEnabled()) {
        return State::Disabled;
    }
    if (isDown()) {
        return State::Pressed;
    }
    return m_hovered ? State::Hover : State::Normal;
}

void ImageButton::setTitle(QString const& title) {
    QByteArray utf8 = title.toUtf8();
    qsizetype length = std::min<qsizetype>(qstrnlen(utf8.constData(), utf8.size()), 255);
    // Never leave half a character at the end of a cut title.
    if (length < utf8.size()) {
        while (length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    setText(QString::fromUtf8(utf8.constData(), length));
}

void ImageButton::setImages(QString const& normal, QString const& hover, QString const& pressed,
                            QString const& disabled) {
    m_normal = namedPixmap(normal);
    m_hover = namedPixmap(hover);
    m_pressed = namedPixmap(pressed);
    m_disabled = namedPixmap(disabled);
    update();
}

QPixmap const& ImageButton::picture() const {
    switch (state()) {
    case State::Hover:
        return m_hover;
    case State::Pressed:
        return m_pressed;
    case State::Disabled:
        return m_disabled;
    case State::Normal:
        break;
    }
    return m_normal;
}

void ImageButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    // A disabled button takes no notice of the mouse.
    if (isEnabled() && !m_hovered) {
        m_hovered = true;
        update();
    }
}

void ImageButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    if (m_hovered) {
        m_hovered = false;
        update();
    }
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void ImageButton::changeEvent(QEvent* event) {
    // The mouse may have left while the button was disabled, without a leave event.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_hovered = false;
    }
    QAbstractButton::changeEvent(event);
}

QFont ImageButton::titleFont() {
    static QFont const font = [] {
        QStringList const families = QFontDatabase::families();
        auto has = [&](QString const& name) {
            return families.contains(name, Qt::CaseInsensitive);
        };
        QFont chosen;
        bool found = false;
        // Proportional faces before the fixed-pitch IPAGothic.
        for (char const* name : {"Hiragino Kaku Gothic Pro W3", "Noto Sans CJK JP", "Noto Sans JP",
                                 "Source Han Sans JP", "IPAPGothic", "IPAexGothic", "TakaoPGothic",
                                 "VL PGothic", "IPAGothic", "TakaoGothic", "VL Gothic"}) {
            if (has(QString::fromLatin1(name))) {
                chosen = QFont(QString::fromLatin1(name));
                found = true;
                break;
            }
        }
        if (!found) {
            // Whatever fontconfig knows to cover Japanese, a sans (Gothic) face first.
            QStringList const japanese = QFontDatabase::families(QFontDatabase::Japanese);
            for (QString const& family : japanese) {
                if (family.contains(QLatin1String("Gothic"), Qt::CaseInsensitive) ||
                    family.contains(QLatin1String("Sans"), Qt::CaseInsensitive)) {
                    chosen = QFont(family);
                    found = true;
                    break;
                }
            }
            if (!found && !japanese.isEmpty()) {
                chosen = QFont(japanese.first());
            }
        }
        chosen.setPointSizeF(11.0);
        return chosen;
    }();
    return font;
}

QPointF ImageButton::titleOrigin(QRectF const& rect, qreal titleWidth, qreal capHeight,
                                 qreal descent) {
    // The centring rule is written for bottom-up coordinates with the text's line origin
    // at the bottom of its line box (the descender line). Differences in single precision,
    // the rest in double, results rounded to single, as the rule asks.
    float const dw = static_cast<float>(rect.width()) - static_cast<float>(titleWidth);
    float const dh = static_cast<float>(rect.height()) - static_cast<float>(capHeight);
    float const x = static_cast<float>(rect.x() + dw * 0.5);
    float const fromBottom = static_cast<float>(dh * 0.5 - capHeight * 0.5 + 0.6);
    // Qt draws at the baseline, descent above the line's bottom.
    qreal const baseline = rect.y() + rect.height() - fromBottom - descent;
    return QPointF(x, baseline);
}

QSize ImageButton::sizeHint() const {
    return QSize(96, 30);
}

void ImageButton::paintEvent(QPaintEvent*) {
    ++m_paintCount;
    QPainter painter(this);
    QPixmap const& shown = picture();
    if (!shown.isNull()) {
        // Scale once per size with area averaging: the pictures are drawn large so that they
        // stay sharp on dense screens, and plain bilinear sampling would alias them.
        qreal const dpr = devicePixelRatioF();
        QSize const target = (QSizeF(size()) * dpr).toSize();
        QString const key = QStringLiteral("resvman-btn:%1:%2x%3")
                                .arg(shown.cacheKey())
                                .arg(target.width())
                                .arg(target.height());
        QPixmap scaled;
        if (!QPixmapCache::find(key, &scaled)) {
            scaled = shown.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QPixmapCache::insert(key, scaled);
        }
        scaled.setDevicePixelRatio(dpr);
        painter.drawPixmap(QPointF(0, 0), scaled);
    }

    if (hasFocus()) {
        // The pictures have no focus state of their own: a frame in the theme's highlight
        // colour, which high-contrast themes make stand out, inside the button's edge.
        QPen pen(palette().color(QPalette::Highlight), 2.0);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4.0, 4.0);
    }

    QString const title = text();
    if (title.isEmpty()) {
        return; // nothing over the picture
    }
    QFont const font = titleFont();
    QColor color = Qt::black;
    State const now = state();
    if (now == State::Hover || now == State::Pressed) {
        color = Qt::white;
    } else if (now == State::Disabled) {
        color = QColor::fromRgbF(0.61960787f, 0.61960787f, 0.61960787f, 1.0f);
    }
    QFontMetricsF const metrics(font, this);
    QPointF const origin = titleOrigin(QRectF(rect()), metrics.horizontalAdvance(title),
                                       metrics.capHeight(), metrics.descent());
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(origin, title);
}
