#pragma once

// Form layouts: the text files that say which components a form has, how they nest and
// which of their published properties differ from the class defaults.
//
//   object Form1: TForm1                      // the root: the form that reads the file
//     Caption = 'Zarvik2.2'
//     object FlatPanel1: TFlatPanel           // a component owned by the form,
//       Left = 0                              // laid out in the enclosing object
//       ColorBorder = clOlive
//       Font.Height = 14                      // a sub-property of a gadget (tk::Font)
//       Font.Style = [fsBold, fsItalic]       // a flag set
//       Ticket.Width = 4                      // a property of a sub-component
//       Items.Strings = (
//         'first'
//         'second')
//       OnMouseDown = fltpnl1MouseDown        // an event binding
//     end
//   end
//
// The file is UTF-8. Every non-blank line holds one header, one `end` or one
// `Property = value`; `//` starts a comment that runs to the end of the line. Properties
// are applied in the order they appear, which matters where one setter changes another
// property (ColorFlat clears ParentColor, so ParentColor comes second).
//
// Values:
//   integers      12, -3, $00C0C0C0 (hex; up to eight digits wrap into a signed 32-bit value)
//   booleans      True, False
//   identifiers   enumeration keys by name (taCenter); colours by name (clBtnFace, clOlive)
//                 or as numbers; a component of the form by name (ActivePage = fltsht1)
//   sets          [fsBold, fsItalic], [] for none
//   strings       'It''s' (a doubled quote stands for one), #13#10 for character codes
//                 (also #$0D), joined without spaces: 'line 1'#13#10'line 2'. A long string
//                 continues onto the next line after a `+` at the end of the line.
//   string lists  Items.Strings = ( 'a' 'b' ), one string per line when written
//   pictures      Glyph.Data = {                   the bytes of a PNG or BMP file in hex
//                   89504E470D0A1A0A0000000D4948   digits, two to a byte, in braces; line
//                   ...}                           breaks and blanks between digits do not
//                 count. A picture is written as PNG, 32 bytes to a line; an empty block
//                 is the empty picture. The data may hold at most 1 MiB and decode to at
//                 most 4096 pixels a side and 4 Mi pixels in all; an odd number of digits,
//                 a character that is no hex digit, a missing '}' or bytes that are no
//                 such picture are errors.
//
// What a class publishes and how it is stored is Published.h's; an `OnXxx` line binds the
// component's event to the handler slot of that name of the form (Published.h: bindEvent). A
// property of integer type whose name begins or ends with "Color" holds a TColor (moc records
// the alias as plain int, so the name is what tells a colour apart), one of type QImage a
// picture. A property X is not written while a Boolean property ParentX is True (the value
// comes from the parent then), and always while it is False (read back into a parent, the
// value would otherwise be the parent's).

#include "Component.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace tk {

// A malformed layout, or one that names what does not exist. The message names the line.
class LayoutError : public std::runtime_error {
public:
    // line 0: an error not tied to a line (the writer's).
    LayoutError(int line, const QString& message);
    int line() const { return m_line; }

private:
    int m_line;
};

using LayoutFactory = std::function<QObject*(Component* owner)>;

// Makes `className` creatable by layouts. The factory builds an object owned by `owner`
// (with its Component mixin constructed with that owner) and without a parent; the reader
// assigns the parent. Registering a name again replaces the factory.
void registerLayoutClass(const QString& className, LayoutFactory factory);

// The usual case: a class with a constructor callable as T(tk::Component* owner), under its
// own name without namespace (tk::TLabel -> "TLabel").
template <class T> void registerLayoutClass() {
    const QString name = QString::fromLatin1(T::staticMetaObject.className());
    registerLayoutClass(name.mid(name.lastIndexOf(QLatin1Char(':')) + 1),
                        [](Component* owner) -> QObject* { return new T(owner); });
}

bool isLayoutClassRegistered(const QString& className);
// Every class name layouts may create, sorted.
QStringList registeredLayoutClasses();
// A new instance through the registry; throws LayoutError for an unknown class.
QObject* createLayoutObject(const QString& className, Component* owner);

// Reads `text` into `root`, an existing component whose class the file's root header names.
// Every nested object is created through the registry, owned by the root, named, put into
// its enclosing object (setLayoutParent) and marked loading, and only then gets its
// properties, in file order. References to components by name are resolved once all
// exist; then loaded() runs on the root and on every new component in creation order.
// Every `OnXxx = Handler` line binds, in file order after the properties above it, to the
// slot of that name of `handlers` (the root when null).
// On a LayoutError every component created by this call is destroyed again.
void readLayout(QObject* root, const QString& text, QObject* handlers = nullptr);
// The same from a file or a Qt resource (":/forms/zrvkf.layout"), UTF-8.
void readLayoutFile(QObject* root, const QString& path, QObject* handlers = nullptr);

// Writes `root` and the components it owns, each nested in the object that is its parent,
// in creation order. Each object's properties are compared with a fresh instance of its
// class (for the root: of its nearest registered base class, since a form class builds
// itself from its own layout) and with its declared defaults; what differs from either,
// and what is always stored, is written, in declaration order, base classes first. Sub-components
// are written as dotted properties of their owner, and the event bindings that still hold
// after the properties. Throws LayoutError for what the format cannot hold.
QString writeLayout(QObject* root);

} // namespace tk
