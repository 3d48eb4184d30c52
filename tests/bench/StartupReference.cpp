// The yardstick for the program's start-up: an empty Qt Widgets main window with a menu bar
// and an empty eight-column table, timed as the program times itself with
// --measure-startup (the first drawing of the table, then it quits). scripts/figures.sh
// starts both side by side and compares.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint-monotonic-ns: %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"));
    QMenu* reservation = window.menuBar()->addMenu(QStringLiteral("&Reservation"));
    reservation->addAction(QStringLiteral("&New Reservation…"));
    QStandardItemModel model(0, 8);
    auto* table = new QTableView(&window);
    table->setModel(&model);
    window.setCentralWidget(table);
    FirstPaint firstPaint;
    table->viewport()->installEventFilter(&firstPaint);
    window.resize(820, 440);
    window.show();
    return app.exec();
}
