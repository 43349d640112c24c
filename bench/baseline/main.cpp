// The yardstick for bench/report.sh: the least a Qt Widgets program needs to show what the
// main window shows first (a line edit and the "仓五" caption in Tahoma 14 px) in a
// frameless, stay-on-top window of the same size and place, reporting its first paint the
// way the program does.

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

// With ZARVIK_REPORT_FIRST_PAINT set, the wall clock in microseconds goes to stderr once the
// first paint of `window` has been handed to the window system.
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(QWidget* window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::fprintf(
                    stderr, "first-paint %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
            });
        }
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString tahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(tahoma)) QFontDatabase::addApplicationFont(tahoma);

    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setWindowTitle(QStringLiteral("Zarvik2.2"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(14);
    window.setFont(font);
    window.setFixedSize(194, 233);
    window.move(257, 289);
    QLineEdit edit(&window);
    edit.setGeometry(8, 30, 81, 22);
    QLabel caption(QStringLiteral("仓五"), &window);
    caption.setGeometry(8, 80, 50, 19);

    if (qEnvironmentVariableIsSet("ZARVIK_REPORT_FIRST_PAINT"))
        app.installEventFilter(new FirstPaintReporter(&window));
    window.show();
    return app.exec();
}
