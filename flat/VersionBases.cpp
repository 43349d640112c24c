#include "VersionBases.h"

#include "FlatAccessible.h"

namespace flat {

TVersionControl::TVersionControl(tk::Component* owner, QWidget* parent)
    : tk::TControl(owner, parent) {
    installFlatAccessibility();
}

TVersionCtrlExt::TVersionCtrlExt(tk::Component* owner, QWidget* parent)
    : tk::TControl(owner, parent) {
    installFlatAccessibility();
}

TVersionEdit::TVersionEdit(tk::Component* owner, QWidget* parent) : tk::TCustomEdit(owner, parent) {
    installFlatAccessibility();
}

TVersionPages::TVersionPages(tk::Component* owner, QWidget* parent)
    : tk::TPageControl(owner, parent) {}

TVersionSheet::TVersionSheet(tk::Component* owner, QWidget* parent)
    : tk::TTabSheet(owner, parent) {}

TVersionComboBox::TVersionComboBox(tk::Component* owner, QWidget* parent)
    : tk::TCustomComboBox(owner, parent) {
    installFlatAccessibility();
}

} // namespace flat
