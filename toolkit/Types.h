#pragma once

// The toolkit's enumerations, published by name so that layouts can read and write them.
// moc allows one Q_NAMESPACE per namespace, so they all live here.

#include <QFlags>
#include <QObject>

namespace tk {

Q_NAMESPACE

// Declares an enumeration that layouts know by name.
#define TK_ENUM(Name, ...)                                                                         \
    enum Name { __VA_ARGS__ };                                                                     \
    Q_ENUM_NS(Name)

// Bits, so that a style set is a QFlags.
TK_ENUM(TFontStyle, fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8)
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

TK_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)

enum TShiftFlag {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)

TK_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
TK_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
TK_ENUM(TCursor, crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
        crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
        crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
        crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
        crHandPoint = -21, crSizeAll = -22)
TK_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
TK_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
TK_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
        poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
TK_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
// The combo box's styles: csDropDown, an editable text field and a drop-down list; csSimple,
// the field above a list that is always shown; csDropDownList, the list's current item and a
// drop-down list; csOwnerDrawFixed, as csDropDownList with items drawn by drawItem(),
// ItemHeight tall; csOwnerDrawVariable, each row as tall as measureItem() says.
TK_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)

// The parent's edges whose distances a control keeps when the parent resizes.
TK_ENUM(TAnchorKind, akLeft = 0x1, akTop = 0x2, akRight = 0x4, akBottom = 0x8)
Q_DECLARE_FLAGS(TAnchors, TAnchorKind)
Q_FLAG_NS(TAnchors)

TK_ENUM(THelpType, htKeyword, htContext)
TK_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata,
        imKata, imChinese, imSHanguel, imHanguel)

// The drag and dock settings' types live here because layouts read them
// by name and moc gives a namespace one meta-object only.
TK_ENUM(TDragMode, dmManual, dmAutomatic)
TK_ENUM(TDragKind, dkDrag, dkDock)
// Where a drag is over a control (DragManager.h).
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

} // namespace tk

Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TFontStyles)
Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TShiftState)
Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TAnchors)
