#include "VersionBases.h"

#include "FlatAccessible.h"

namespace flat {

TVersionControl::TVersionControl(tk::Component* owner, QWidget* parent)
    : tk::TControl(owner, parent) {
    installFlatAccessibility();
}

TVersionEdit::TVersionEdit(tk::Component* owner, QWidget* parent) : tk::TCustomEdit(owner, parent) {
    installFlatAccessibility();
}

TVersionComboBox::TVersionComboBox(tk::Component* owner, QWidget* parent)
    : tk::TCustomComboBox(owner, parent) {
    installFlatAccessibility();
}

} // namespace flat
