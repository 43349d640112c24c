#include "Application.h"
#include "FirstPaint.h"
#include "Platform.h"
#include "zrvkf.h"

#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    const auto fail = [](const QString& why) {
        std::fprintf(stderr, "zarvik: %s\n", qPrintable(why));
        return 1;
    };
    if (const QString shortage = tk::secureOpenFiles(); !shortage.isEmpty()) return fail(shortage);
    const tk::DisplaySituation situation = tk::currentDisplaySituation(argc, argv);
    const tk::PlatformChoice choice = tk::choosePlatform(situation);
    if (!choice.failure.isEmpty()) return fail(choice.failure);
    // The choice goes to Qt as its own option rather than through the environment, which
    // the browser that the maker link starts would inherit.
    QByteArray platformOption("-platform");
    QByteArray platform = choice.platform;
    char programName[] = "zarvik";
    std::vector<char*> args(argv, argv + argc);
    if (args.empty()) args.push_back(programName); // Qt takes the first for the program's name
    if (!platform.isEmpty())
        args.insert(args.begin() + 1, {platformOption.data(), platform.data()});
    int qtArgc = int(args.size());
    args.push_back(nullptr);
    const QByteArray platformName = platform.isEmpty() ? situation.chosenPlatform : platform;
    tk::QtStartWatch start(
        platformName.isEmpty()
            ? QStringLiteral("zarvik: cannot open a window")
            : QStringLiteral("zarvik: cannot open a window on the platform \"%1\"")
                  .arg(QString::fromLocal8Bit(platformName)));
    tk::Application app(qtArgc, args.data());
    if (const QString problem = tk::screenProblem(); !problem.isEmpty()) start.fail(problem);
    start.release();
    tk::Application::setTitle(QStringLiteral("Zarvik2.2"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.zarvik.Zarvik"));
    std::unique_ptr<TForm1> form;
    try {
        form = std::make_unique<TForm1>();
    } catch (const std::exception& e) {
        // Without its window the program has nothing to offer: say why and stop.
        tk::showException(e);
        return 1;
    }
    if (qEnvironmentVariableIsSet("ZARVIK_REPORT_FIRST_PAINT"))
        app.installEventFilter(new FirstPaintReporter(form.get()));
    form->show();
    return app.exec();
}
