#include "Application.h"
#include "zrvkf.h"

int main(int argc, char** argv) {
    tk::Application app(argc, argv);
    tk::Application::setTitle(QStringLiteral("Zarvik2.2"));
    TForm1 form;
    form.show();
    return app.exec();
}
