#include "Application.h"
#include "zrvkf.h"

#include <QGuiApplication>
#include <exception>
#include <memory>

int main(int argc, char** argv) {
    tk::Application app(argc, argv);
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
    form->show();
    return app.exec();
}
