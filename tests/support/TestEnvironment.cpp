#include "TestEnvironment.h"

#include "Colors.h"
#include "Font.h"

namespace testenv {

void setUp() {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(tk::classicPalette());
    tk::registerApplicationFonts();
    tk::setCrispTextForTests(true);
}

} // namespace testenv
