#include "Classes.h"

#include "Action.h"
#include "ComboBox.h"
#include "Form.h"
#include "Label.h"
#include "Layout.h"
#include "Menu.h"
#include "PageControl.h"

namespace tk {

void registerToolkitClasses() {
    registerLayoutClass<TForm>();
    registerLayoutClass<TLabel>();
    registerPageControlClasses();
    registerComboBoxClasses();
    registerLayoutClass<TAction>();
    registerLayoutClass<TPopupMenu>();
    registerLayoutClass<TMenuItem>();
}

} // namespace tk
