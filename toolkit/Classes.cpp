#include "Classes.h"

#include "ComboBox.h"
#include "Form.h"
#include "Label.h"
#include "Layout.h"
#include "PageControl.h"

namespace tk {

void registerToolkitClasses() {
    registerLayoutClass<TForm>();
    registerLayoutClass<TLabel>();
    registerPageControlClasses();
    registerComboBoxClasses();
}

} // namespace tk
