#include "Registration.h"

#include "Classes.h"
#include "FlatCtrls.h"
#include "Layout.h"

namespace flat {

void registerFlatClasses() {
    tk::registerToolkitClasses();
    tk::registerLayoutClass<TFlatPanel>();
    tk::registerLayoutClass<TFlatLabel>();
    tk::registerLayoutClass<TFlatCheckBox>();
    tk::registerLayoutClass<TFlatRadioButton>();
    tk::registerLayoutClass<TFlatRadioGroup>();
    tk::registerLayoutClass<TDefineComboBox>();
    tk::registerLayoutClass<TDefineColorBox>();
    tk::registerLayoutClass<TFlatPages>();
    tk::registerLayoutClass<TFlatSheet>();
    tk::registerLayoutClass<TFlatButton>();
    tk::registerLayoutClass<TFlatEdit>();
}

} // namespace flat
