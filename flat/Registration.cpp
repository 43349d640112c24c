#include "Registration.h"

#include "Classes.h"
#include "FlatCtrls.h"
#include "Layout.h"
#include "Published.h"

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
    tk::registerEvent("OnMouseEnter", &TDefineButton::OnMouseEnter);
    tk::registerEvent("OnMouseLeave", &TDefineButton::OnMouseLeave);
    tk::registerEvent("OnDrawItem", &TDefinePages::OnDrawItem);
    tk::registerEvent("OnGlyphMap", &TDefinePages::OnGlyphMap);
}

} // namespace flat
