// The image button: status rules, the action on release, the title field and its drawing.
#include "ui/ImageBtnCtrl.h"

#include <QPainter>
#include <QTest>

namespace {

// Pixels of the grabbed button that differ from its top-left corner (the background).
int MarkedPixels(QImage const& image) {
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
Extremes TitleExtremes(QImage const& image) {
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

QImage Grab(ImageBtnCtrl& button) {
    return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestImageBtn : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    ImageBtnCtrl* m_button = nullptr;
    int m_actions = 0;
    QObject* m_lastSender = nullptr;
    QObject m_target;

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
        m_button = new ImageBtnCtrl(m_window.get());
        m_button->setGeometry(10, 10, 96, 30);
        m_actions = 0;
        m_lastSender = nullptr;
        m_button->setTarget(&m_target);
        m_button->setAction([this](QObject* sender) {
            ++m_actions;
            m_lastSender = sender;
        });
        m_button->SetImages("Button_Enable.bmp", "Button_Enable.bmp", "Button_Down.bmp",
                            "Button_Disable.bmp");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void clickInsideSendsTheActionOnceOnRelease() {
        QTest::mousePress(m_button, Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
        QCOMPARE(m_button->status(), 2);
        QCOMPARE(m_actions, 0);
        QTest::mouseRelease(m_button, Qt::LeftButton, Qt::NoModifier, QPoint(41, 16));
        QCOMPARE(m_button->status(), 0);
        QCOMPARE(m_actions, 1);
        QCOMPARE(m_lastSender, static_cast<QObject*>(m_button));
    }

    void releaseOutsideSendsNothing() {
        click(QPoint(40, 15), QPoint(150, 60));
        QCOMPARE(m_button->status(), 0);
        QCOMPARE(m_actions, 0);
        // Just past the right and bottom edges counts as outside too.
        click(QPoint(40, 15), QPoint(96, 15));
        click(QPoint(40, 15), QPoint(40, 30));
        QCOMPARE(m_actions, 0);
    }

    void disabledButtonIgnoresTheMouse() {
        m_button->SetStatus(3);
        click(QPoint(40, 15), QPoint(40, 15));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QCoreApplication::sendEvent(m_button, &enter);
        QCOMPARE(m_button->status(), 3);
        QCOMPARE(m_actions, 0);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_button, &leave);
        QCOMPARE(m_button->status(), 3);

        m_button->SetStatus(0); // enabled again: clicks work
        click(QPoint(40, 15), QPoint(40, 15));
        QCOMPARE(m_actions, 1);
    }

    void enterAndLeaveFollowTheMouse() {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(15, 15));
        QCoreApplication::sendEvent(m_button, &enter);
        QCOMPARE(m_button->status(), 1);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_button, &leave);
        QCOMPARE(m_button->status(), 0);
    }

    void sameStatusDoesNotRedraw() {
        QTRY_VERIFY(m_button->paintCount() > 0);
        QTest::qWait(50);
        int const before = m_button->paintCount();
        m_button->SetStatus(0);
        QTest::qWait(50);
        QCOMPARE(m_button->paintCount(), before);
        m_button->SetStatus(3);
        QTRY_COMPARE(m_button->paintCount(), before + 1);
    }

    void actionNeedsBothTargetAndAction() {
        m_button->setAction(nullptr);
        click(QPoint(40, 15), QPoint(40, 15));
        QCOMPARE(m_button->status(), 0);

        int calls = 0;
        m_button->setAction([&calls](QObject*) { ++calls; });
        m_button->setTarget(nullptr);
        click(QPoint(40, 15), QPoint(40, 15));
        QCOMPARE(calls, 0);

        // A target that has gone away is not called.
        auto* shortLived = new QObject;
        m_button->setTarget(shortLived);
        delete shortLived;
        click(QPoint(40, 15), QPoint(40, 15));
        QCOMPARE(calls, 0);
    }

    void pressIsReportedToTheMouseDelegate() {
        QList<int> seen;
        QObject delegate;
        m_button->setMouseEventDelegate(&delegate, [&seen](int status) { seen << status; });
        click(QPoint(40, 15), QPoint(40, 15));
        QCOMPARE(seen, QList<int>{2});
    }

    void titleIsCutAtACharacterBoundary() {
        QString const kana = QString(100, QChar(0x3042)); // 300 bytes of UTF-8
        m_button->setString(kana);
        QCOMPARE(m_button->title(), QString(85, QChar(0x3042))); // 255 bytes

        QString const mixed = QString(254, QLatin1Char('a')) + QChar(0x3042);
        m_button->setString(mixed);
        QCOMPARE(m_button->title(), QString(254, QLatin1Char('a')));

        m_button->setString(QStringLiteral("追加"));
        QCOMPARE(m_button->title(), QStringLiteral("追加"));
    }

    void emptyTitleDrawsNothing() {
        // Without a picture only the title can mark the control.
        m_button->SetImages("none", "none", "none", "none");
        m_button->setString(QString());
        QCOMPARE(MarkedPixels(Grab(*m_button)), 0);
        m_button->setString(QStringLiteral("Add"));
        QVERIFY(MarkedPixels(Grab(*m_button)) > 20);
    }

    void titleColourFollowsTheStatus() {
        m_button->SetImages("none", "none", "none", "none");
        m_button->setString(QStringLiteral("HHHH"));
        m_button->SetStatus(0);
        QVERIFY(TitleExtremes(Grab(*m_button)).darkest < 60); // black
        m_button->SetStatus(1);
        QVERIFY(TitleExtremes(Grab(*m_button)).brightest > 245); // white
        m_button->SetStatus(3);
        Extremes const grey = TitleExtremes(Grab(*m_button));
        QVERIFY2(grey.darkest >= 150 && grey.darkest <= 166,
                 qPrintable(QString::number(grey.darkest))); // 158 grey
    }

    void titleSitsInTheMiddle() {
        // Bottom-up rule: origin y + (h - ch)/2 - ch/2 + 0.6 at the line's bottom; Qt draws
        // at the baseline, descent above it.
        QPointF const origin = ImageBtnCtrl::titleOrigin(QRectF(0, 0, 96, 30), 40.0, 8.0, 3.0);
        QCOMPARE(origin.x(), 28.0);
        QVERIFY(qAbs(origin.y() - (30.0 - 7.6 - 3.0)) < 1e-4);
        // The capitals then lie around the middle of the plate.
        qreal const capTop = origin.y() - 8.0;
        QVERIFY(capTop > 5.0 && origin.y() < 25.0);
    }

    void picturesComeFromTheResources() {
        QPixmap const plate = NamedPixmap("Button_Enable.bmp");
        QVERIFY(!plate.isNull());
        QVERIFY(plate.hasAlphaChannel()); // rounded corners
        QVERIFY(plate.width() >= 96 * 2); // sharp on dense screens
        QVERIFY(!NamedPixmap("Button_Down.bmp").isNull());
        QVERIFY(!NamedPixmap("Button_Disable.bmp").isNull());
        QVERIFY(NamedPixmap("no-such.bmp").isNull());
        // Different pictures for normal, pressed and disabled.
        m_button->setString(QString());
        QImage const normal = Grab(*m_button);
        m_button->SetStatus(2);
        QImage const down = Grab(*m_button);
        m_button->SetStatus(3);
        QImage const off = Grab(*m_button);
        QVERIFY(normal != down && down != off && normal != off);
    }
};

QTEST_MAIN(TestImageBtn)
#include "tst_imagebtn.moc"
