#pragma once

// The bases every flat control stands on. Each adds only the published Version, which
// layouts always store and which reads the same whatever a layout says.

#include "ComboBox.h"
#include "Control.h"
#include "Edit.h"
#include "PageControl.h"

#include <QString>

namespace flat {

// What every flat control reports as its Version.
inline constexpr char FlatVersion[] = "4.56.0.0";

// The published Version of a version-bearing base, placed after Q_OBJECT. Writing it is
// accepted so that any layout loads, and changes nothing that can be read back.
#define FLAT_VERSION_PROPERTY                                                                      \
    Q_CLASSINFO("AlwaysStored", "Version")                                                         \
    Q_PROPERTY(QString Version READ version WRITE setVersion)                                      \
public:                                                                                            \
    QString version() const {                                                                      \
        return QString::fromLatin1(FlatVersion);                                                   \
    }                                                                                              \
    void setVersion(const QString&) {}                                                             \
                                                                                                   \
private:

// A custom-drawn control; the check box, group box, radio button, button, panel and label
// stand on it.
class TVersionControl : public tk::TControl {
    Q_OBJECT
    FLAT_VERSION_PROPERTY
public:
    explicit TVersionControl(tk::Component* owner = nullptr, QWidget* parent = nullptr);
};

// The panel family's name for the same base.
using TVersionCtrlExt = TVersionControl;

// The native single-line edit; the flat edit stands on it.
class TVersionEdit : public tk::TCustomEdit {
    Q_OBJECT
    FLAT_VERSION_PROPERTY
public:
    explicit TVersionEdit(tk::Component* owner = nullptr, QWidget* parent = nullptr);
};

// The native page control; the flat pages stand on it.
class TVersionPages : public tk::TPageControl {
    Q_OBJECT
    FLAT_VERSION_PROPERTY
public:
    using tk::TPageControl::TPageControl;
};

// One page of the native page control; the flat sheet stands on it.
class TVersionSheet : public tk::TTabSheet {
    Q_OBJECT
    FLAT_VERSION_PROPERTY
public:
    using tk::TTabSheet::TTabSheet;
};

// The native combo box; the flat combo box and colour box stand on it.
class TVersionComboBox : public tk::TCustomComboBox {
    Q_OBJECT
    FLAT_VERSION_PROPERTY
public:
    explicit TVersionComboBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);
};

} // namespace flat
