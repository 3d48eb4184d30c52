// The image button: its states, the click on release, the title and its drawing.
#include "ui/ImageButton.h"

#include <QPainter>
#include <QTest>

namespace {

// Pixels of the grabbed button that differ from its top-left corner (the background).
int markedPixels(QImage const& image) {
    QRgb const background = image.pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) != background;
        }
    }
    return count;
}

struct Extremes {
    int darkest = 255;
    int brightest = 0;
};

// Darkest and brightest grey level among the pixels that differ from the background.
Extremes titleExtremes(QImage const& image) {
    Extremes e;
    QRgb const background = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb const p = image.pixel(x, y);
            if (p == background) {
                continue;
            }
            int const level = qMax(qRed(p), qMax(qGreen(p), qBlue(p)));
            int const low = qMin(qRed(p), qMin(qGreen(p), qBlue(p)));
            e.darkest = qMin(e.darkest, level);
            e.brightest = qMax(e.brightest, low);
        }
    }
    return e;
}

QImage grabOf(ImageButton& button) {
    return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    ImageButton* m_button = nullptr;
    int m_clicks = 0;
    using State = ImageButton::State;

    void click(QPoint pressAt, QPoint releaseAt) {
        QTest::mousePress(m_button, Qt::LeftButton, Qt::NoModifier, pressAt);
        if (pressAt != releaseAt) {
            QTest::mouseMove(m_button, releaseAt);
        }
        QTest::mouseRelease(m_button, Qt::LeftButton, Qt::NoModifier, releaseAt);
    }

private slots:
    void init() {
        m_window = std::make_unique<QWidget>();
        m_window->resize(200, 80);
        m_button = new ImageButton(m_window.get());
        m_button->setGeometry(10, 10, 96, 30);
        m_clicks = 0;
        connect(m_button, &ImageButton::clicked, this, [this] { ++m_clicks; });
        m_button->setImages("Button_Enable.bmp", "Button_Enable.bmp", "Button_Down.bmp",
                            "Button_Disable.bmp");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void clickInsideIsReportedOnceOnRelease() {
        QList<int> pressed;
        connect(m_button, &ImageButton::pressed, this, [&] { pressed << m_clicks; });
        QTest::mousePress(m_button, Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
        QCOMPARE(m_button->state(), State::Pressed);
        QCOMPARE(m_clicks, 0);
        QCOMPARE(pressed, QList<int>{0});
        QTest::mouseRelease(m_button, Qt::LeftButton, Qt::NoModifier, QPoint(41, 16));
        QCOMPARE(m_button->state(), State::Normal);
        QCOMPARE(m_clicks, 1);
    }

    void releaseOutsideSendsNothing() {
        click(QPoint(40, 15), QPoint(150, 60));
        QCOMPARE(m_button->state(), State::Normal);
        QCOMPARE(m_clicks, 0);
        // Just past the right and bottom edges counts as outside too.
        click(QPoint(40, 15), QPoint(96, 15));
        click(QPoint(40, 15), QPoint(40, 30));
        QCOMPARE(m_clicks, 0);
    }

    void disabledButtonIgnoresTheMouse() {
        m_button->setEnabled(false);
        click(QPoint(40, 15), QPoint(40, 15));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QCoreApplication::sendEvent(m_button, &enter);
        QCOMPARE(m_button->state(), State::Disabled);
        QCOMPARE(m_clicks, 0);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_button, &leave);
        QCOMPARE(m_button->state(), State::Disabled);

        m_button->setEnabled(true); // enabled again: clicks work
        click(QPoint(40, 15), QPoint(40, 15));
        QCOMPARE(m_clicks, 1);
    }

    void enterAndLeaveFollowTheMouse() {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QCoreApplication::sendEvent(m_button, &enter);
        QCOMPARE(m_button->state(), State::Hover);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_button, &leave);
        QCOMPARE(m_button->state(), State::Normal);
    }

    void sameStatusDoesNotRedraw() {
        QTRY_VERIFY(m_button->paintCount() > 0);
        QTest::qWait(50);
        int const before = m_button->paintCount();
        m_button->setEnabled(true);
        QTest::qWait(50);
        QCOMPARE(m_button->paintCount(), before);
        m_button->setEnabled(false);
        QTRY_COMPARE(m_button->paintCount(), before + 1);
    }

    void titleIsCutAtACharacterBoundary() {
        QString const kana = QString(100, QChar(0x3042)); // 300 bytes of UTF-8
        m_button->setTitle(kana);
        QCOMPARE(m_button->title(), QString(85, QChar(0x3042))); // 255 bytes

        QString const mixed = QString(254, QLatin1Char('a')) + QChar(0x3042);
        m_button->setTitle(mixed);
        QCOMPARE(m_button->title(), QString(254, QLatin1Char('a')));

        m_button->setTitle(QStringLiteral("追加"));
        QCOMPARE(m_button->title(), QStringLiteral("追加"));
    }

    void emptyTitleDrawsNothing() {
        // Without a picture only the title and the keyboard focus can mark the control.
        m_button->setImages("none", "none", "none", "none");
        m_button->setTitle(QString());
        m_button->clearFocus();
        QCOMPARE(markedPixels(grabOf(*m_button)), 0);
        m_button->setFocus();
        QVERIFY(markedPixels(grabOf(*m_button)) > 20); // the focus frame
        m_button->clearFocus();
        m_button->setTitle(QStringLiteral("Add"));
        QVERIFY(markedPixels(grabOf(*m_button)) > 20);
    }

    void titleColourFollowsTheStatus() {
        m_button->setImages("none", "none", "none", "none");
        m_button->setTitle(QStringLiteral("HHHH"));
        m_button->setEnabled(true);
        QVERIFY(titleExtremes(grabOf(*m_button)).darkest < 60); // black
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QCoreApplication::sendEvent(m_button, &enter);
        QVERIFY(titleExtremes(grabOf(*m_button)).brightest > 245); // white
        m_button->setEnabled(false);
        Extremes const grey = titleExtremes(grabOf(*m_button));
        QVERIFY2(grey.darkest >= 150 && grey.darkest <= 166,
                 qPrintable(QString::number(grey.darkest))); // 158 grey
    }

    void titleSitsInTheMiddle() {
        // Bottom-up rule: origin y + (h - ch)/2 - ch/2 + 0.6 at the line's bottom; Qt draws
        // at the baseline, descent above it.
        QPointF const origin = ImageButton::titleOrigin(QRectF(0, 0, 96, 30), 40.0, 8.0, 3.0);
        QCOMPARE(origin.x(), 28.0);
        QVERIFY(qAbs(origin.y() - (30.0 - 7.6 - 3.0)) < 1e-4);
        // The capitals then lie around the middle of the plate.
        qreal const capTop = origin.y() - 8.0;
        QVERIFY(capTop > 5.0 && origin.y() < 25.0);
    }

    void picturesComeFromTheResources() {
        QPixmap const plate = namedPixmap("Button_Enable.bmp");
        QVERIFY(!plate.isNull());
        QVERIFY(plate.hasAlphaChannel()); // rounded corners
        QVERIFY(plate.width() >= 96 * 2); // sharp on dense screens
        QVERIFY(!namedPixmap("Button_Down.bmp").isNull());
        QVERIFY(!namedPixmap("Button_Disable.bmp").isNull());
        QVERIFY(namedPixmap("no-such.bmp").isNull());
        // Different pictures for normal, pressed and disabled.
        m_button->setTitle(QString());
        QImage const normal = grabOf(*m_button);
        m_button->setDown(true);
        QImage const down = grabOf(*m_button);
        m_button->setDown(false);
        m_button->setEnabled(false);
        QImage const off = grabOf(*m_button);
        QVERIFY(normal != down && down != off && normal != off);
    }
};

QTEST_MAIN(ImageButtonTest)
#include "ImageButtonTest.moc"
