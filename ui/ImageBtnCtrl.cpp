#include "ui/ImageBtnCtrl.h"

#include <QEnterEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <cstring>

QPixmap NamedPixmap(QString const& name) {
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

ImageBtnCtrl::ImageBtnCtrl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover, false); // enter/leave events are all we need
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    (void)m_ParamFlg;
}

ImageBtnCtrl::~ImageBtnCtrl() = default;

void ImageBtnCtrl::SetStatus(int32_t status) {
    if (status == m_Status) {
        return;
    }
    m_Status = status;
    RedrawStatus();
}

void ImageBtnCtrl::setTarget(QObject* target) {
    targetObject = target;
}

void ImageBtnCtrl::setAction(Action action) {
    targetSelector = std::move(action);
}

void ImageBtnCtrl::setString(QString const& title) {
    QByteArray const utf8 = title.toUtf8();
    std::size_t length =
        std::min<std::size_t>(std::strlen(utf8.constData()), sizeof(cButtonTitle) - 1);
    // Never leave half a character at the end of a cut title.
    if (length < std::strlen(utf8.constData())) {
        while (length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memset(cButtonTitle, 0, sizeof(cButtonTitle));
    std::memcpy(cButtonTitle, utf8.constData(), length);
    setAccessibleName(QString::fromUtf8(cButtonTitle));
}

QString ImageBtnCtrl::title() const {
    return QString::fromUtf8(cButtonTitle);
}

void ImageBtnCtrl::SetImages(QString const& normal, QString const& over, QString const& down,
                             QString const& disabled) {
    m_pDC1 = NamedPixmap(normal);
    m_pDC2 = NamedPixmap(over);
    m_pDC3 = NamedPixmap(down);
    m_pDC4 = NamedPixmap(disabled);
    RedrawStatus();
}

QPixmap const* ImageBtnCtrl::currentPicture() const {
    switch (m_Status) {
    case 0:
        return &m_pDC1;
    case 1:
        return &m_pDC2;
    case 2:
        return &m_pDC3;
    case 3:
        return &m_pDC4;
    default:
        return nullptr;
    }
}

void ImageBtnCtrl::RedrawStatus() {
    QPixmap const* picture = currentPicture();
    m_shown = picture ? *picture : QPixmap();
    update();
}

void ImageBtnCtrl::setMouseEventDelegate(QObject* delegate, MouseEventAction selector) {
    mouseEventDelegate = delegate;
    mouseEventSelector = std::move(selector);
}

void ImageBtnCtrl::enterEvent(QEnterEvent* event) {
    if (m_Status == 3) {
        return;
    }
    QWidget::enterEvent(event);
    SetStatus(1);
}

void ImageBtnCtrl::leaveEvent(QEvent* event) {
    if (m_Status == 3) {
        return;
    }
    QWidget::leaveEvent(event);
    SetStatus(0);
}

void ImageBtnCtrl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (m_Status == 3 || event->button() != Qt::LeftButton) {
        return;
    }
    SetStatus(2);
    if (mouseEventDelegate && mouseEventSelector) {
        mouseEventSelector(2);
    }
}

void ImageBtnCtrl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (m_Status == 3 || event->button() != Qt::LeftButton) {
        return;
    }
    SetStatus(0);
    // The target may be gone by now (it is not owned); a dead or action-less target is
    // ignored silently.
    if (rect().contains(event->position().toPoint()) && targetObject && targetSelector) {
        targetSelector(this);
    }
}

void ImageBtnCtrl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void ImageBtnCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double click is a click of its own.
    mousePressEvent(event);
}

QFont ImageBtnCtrl::titleFont() {
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

QPointF ImageBtnCtrl::titleOrigin(QRectF const& rect, qreal titleWidth, qreal capHeight,
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

QSize ImageBtnCtrl::sizeHint() const {
    return QSize(96, 30);
}

void ImageBtnCtrl::paintEvent(QPaintEvent*) {
    ++m_paintCount;
    QPainter painter(this);
    if (!m_shown.isNull()) {
        // Scale once per size with area averaging: the pictures are drawn large so that they
        // stay sharp on dense screens, and plain bilinear sampling would alias them.
        qreal const dpr = devicePixelRatioF();
        QSize const target = (QSizeF(size()) * dpr).toSize();
        QString const key = QStringLiteral("resvman-btn:%1:%2x%3")
                                .arg(m_shown.cacheKey())
                                .arg(target.width())
                                .arg(target.height());
        QPixmap scaled;
        if (!QPixmapCache::find(key, &scaled)) {
            scaled = m_shown.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QPixmapCache::insert(key, scaled);
        }
        scaled.setDevicePixelRatio(dpr);
        painter.drawPixmap(QPointF(0, 0), scaled);
    }

    if (cButtonTitle[0] == '\0') {
        return; // nothing over the picture
    }
    QFont const font = titleFont();
    QColor color = Qt::black;
    if (m_Status == 1 || m_Status == 2) {
        color = Qt::white;
    } else if (m_Status == 3) {
        color = QColor::fromRgbF(0.61960787f, 0.61960787f, 0.61960787f, 1.0f);
    }
    QString const text = QString::fromUtf8(cButtonTitle);
    QFontMetricsF const metrics(font, this);
    QPointF const origin = titleOrigin(QRectF(rect()), metrics.horizontalAdvance(text),
                                       metrics.capHeight(), metrics.descent());
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(origin, text);
}
