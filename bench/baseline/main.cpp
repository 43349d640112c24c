// The yardstick for bench/report.sh: the least a Qt Widgets program needs to show what the
// main window shows first, in a frameless, stay-on-top window of the same size and place: the
// captions of its first page and its title strip as plain labels and its two boxes as line
// edits, each in the Tahoma size the window gives it (11 to 14 px, Chinese in three of them),
// reporting its first paint the way the program does.

#include "../FirstPaint.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

// Where the window shows text, in window coordinates, and in which Tahoma size.
struct Caption {
    const char* text;
    int x, y, pixelSize;
};
constexpr Caption Captions[] = {
    {"Zarvik 2.2", 62, 5, 12}, {"退出", 166, 6, 11},
    {"查询", 10, 28, 14},      {"关于", 52, 28, 14},
    {"查询", 128, 69, 14},     {"字典选择", 18, 102, 14},
    {"仓五", 48, 130, 14},     {"仓三", 129, 130, 14},
    {"置顶", 37, 215, 12},     {"来自Zarvik主页", 84, 214, 12},
};

QFont tahoma(int pixelSize) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString tahomaFile = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(tahomaFile)) QFontDatabase::addApplicationFont(tahomaFile);

    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setWindowTitle(QStringLiteral("Zarvik2.2"));
    window.setFont(tahoma(11));
    window.setFixedSize(194, 233);
    window.move(257, 289);
    QLineEdit input(&window);
    input.setFont(tahoma(13));
    input.setGeometry(19, 69, 81, 22);
    QLineEdit result(&window);
    result.setFont(tahoma(14));
    result.setReadOnly(true);
    result.setGeometry(21, 182, 155, 23);
    for (const Caption& c : Captions) {
        auto* label = new QLabel(QString::fromUtf8(c.text), &window);
        label->setFont(tahoma(c.pixelSize));
        label->move(c.x, c.y);
    }

    if (qEnvironmentVariableIsSet("ZARVIK_REPORT_FIRST_PAINT"))
        app.installEventFilter(new FirstPaintReporter(&window));
    window.show();
    return app.exec();
}
