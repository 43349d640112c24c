#pragma once

// The toolkit's enumerations, published by name so that layouts can read and write them.
// moc allows one Q_NAMESPACE per namespace, so they all live here.

#include <QFlags>
#include <QObject>

namespace tk {

Q_NAMESPACE

// Bits, so that a style set is a QFlags.
enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_ENUM_NS(TFontStyle)
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

enum TMouseButton { mbLeft, mbRight, mbMiddle };
Q_ENUM_NS(TMouseButton)

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

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

enum TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22
};
Q_ENUM_NS(TCursor)

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
Q_ENUM_NS(TEditCharCase)

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
Q_ENUM_NS(TFormBorderStyle)
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
Q_ENUM_NS(TPosition)

enum TTextLayout { tlTop, tlCenter, tlBottom };
Q_ENUM_NS(TTextLayout)

// The parent's edges whose distances a control keeps when the parent resizes.
enum TAnchorKind { akLeft = 0x1, akTop = 0x2, akRight = 0x4, akBottom = 0x8 };
Q_ENUM_NS(TAnchorKind)
Q_DECLARE_FLAGS(TAnchors, TAnchorKind)
Q_FLAG_NS(TAnchors)

enum THelpType { htKeyword, htContext };
Q_ENUM_NS(THelpType)

enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
Q_ENUM_NS(TImeMode)

// The drag and dock settings' types live here because layouts read them
// by name and moc gives a namespace one meta-object only.
enum TDragMode { dmManual, dmAutomatic };
Q_ENUM_NS(TDragMode)
enum TDragKind { dkDrag, dkDock };
Q_ENUM_NS(TDragKind)
// Where a drag is over a control (DragManager.h).
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

} // namespace tk

Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TFontStyles)
Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TShiftState)
Q_DECLARE_OPERATORS_FOR_FLAGS(tk::TAnchors)
