#pragma once

// The native combo box: a QComboBox hosted inside a control, so the text field, the
// drop-down list, keyboard selection and input methods are the platform's own.
//
// Geometry. The QComboBox covers the whole control (in the simple style: the top part;
// a permanently shown list fills the rest). Where the text field lies is one virtual,
// editFieldRect(): the inner QComboBox's style is a proxy that answers the text field's
// rectangle from it, so Qt places the editable styles' line edit there and the list styles'
// current item is painted there. A subclass that wants the field elsewhere overrides
// editFieldRect(); sizing editField() directly lasts only until the combo box places its
// line edit again (on resizes and selection changes).
//
// Painting. With the native frame (the default) the QComboBox draws its frame and button
// as the application style does. A subclass that paints its own frame and button calls
// setCustomFrame(true): the QComboBox then draws nothing but the text field (the list
// styles' current item; the editable styles' line edit draws itself), and everything
// outside editFieldRect() shows the control's own picture, painted in paint(Canvas&).
// The list styles' current item is drawn by drawItem() in the owner-drawn styles and by
// the default item drawing otherwise, in both cases on a Canvas over an image that is then
// copied to the screen. The drop-down list's rows go through drawItem() in the owner-drawn
// styles only. Color is the background of the text field and of the list (palette Base);
// the font's colour is their text colour.
//
// Events, in the order they are raised:
//   the user picks another item (in the list, with the arrow keys, by typing in a list
//   style, or in the editable styles by pressing Enter or leaving the field when the text
//   is an item's text, which selects that item):
//       OnClick (click()), then OnSelect (select()), then OnChange (change())
//   the user edits the text of an editable style:           OnChange
//   the list opens:  OnDropDown (dropDown()), before it shows; an empty list does not open
//                    (a handler may fill it and then it does)
//   the list closes: OnCloseUp (closeUp()), after it is hidden; a pick made with the mouse
//                    closes the list before the selection changes
// Changes made by program (ItemIndex, Text, Items, Sorted, Style and the item functions)
// raise no event (itemIndexChanged tells every change of ItemIndex); a subclass that wants the
// click behaviour after a change of its own calls click(). Focus of the inner widgets reaches
// focusGained()/focusLost() and the form's focus tracking as the control's own; the list opening
// and closing are not focus changes. The mouse over the inner widgets reaches the mouse hooks as if
// it were over the control.
//
// Keys: every style keeps the arrows and the characters, as a native combo box does (the
// arrows step through the items, characters search them or go into the text field, F4 and
// Alt+Down open the list); Tab, Enter and Escape stay with the form's navigation.
//
// The editable styles have no completion: text typed stays as typed, and Enter never adds
// an item.

#include "Canvas.h"
#include "Control.h"
#include "Geometry.h"

#include <QPointer>
#include <QScopedValueRollback>
#include <QStringList>
#include <functional>
#include <memory>

class QAbstractItemView;
class QComboBox;
class QLineEdit;
class QListView;

namespace tk {

namespace detail {
class NativeComboBox;
class ComboBoxStyle;
class ComboItemDelegate;
} // namespace detail

class TCustomComboBox : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnChange,OnClick,OnDblClick,OnDropDown,OnCloseUp,OnSelect,"
                             "OnDrawItem,OnMeasureItem,OnEnter,OnExit,OnKeyDown,"
                             "OnKeyPress,OnKeyUp")
    Q_PROPERTY(tk::TCustomComboBox::TComboBoxStyle Style READ comboStyle WRITE setComboStyle)
    Q_PROPERTY(bool Sorted READ sorted WRITE setSorted)
    Q_PROPERTY(int DropDownCount READ dropDownCount WRITE setDropDownCount)
    Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
    Q_PROPERTY(QString Text READ text WRITE setText)
public:
    enum TComboBoxStyle {
        csDropDown,         // editable text field and a drop-down list
        csSimple,           // editable text field above a list that is always shown
        csDropDownList,     // the list's current item and a drop-down list
        csOwnerDrawFixed,   // as csDropDownList, items drawn by drawItem(), ItemHeight tall
        csOwnerDrawVariable // as csOwnerDrawFixed, each row as tall as measureItem() says
    };
    Q_ENUM(TComboBoxStyle)

    explicit TCustomComboBox(Component* owner = nullptr, QWidget* parent = nullptr);
    ~TCustomComboBox() override;

    // Style; named so as not to hide QWidget::style().
    TComboBoxStyle comboStyle() const { return m_style; }
    void setComboStyle(TComboBoxStyle s);
    bool isEditable() const { return m_style == csDropDown || m_style == csSimple; }
    bool isOwnerDrawn() const {
        return m_style == csOwnerDrawFixed || m_style == csOwnerDrawVariable;
    }

    // Items are kept in case-insensitive order while Sorted is on (equal texts keep the
    // order they came in); switching it on sorts the list and keeps the selected item.
    bool sorted() const { return m_sorted; }
    void setSorted(bool on);
    // The most rows the drop-down list shows before it scrolls.
    int dropDownCount() const { return m_dropDownCount; }
    void setDropDownCount(int n);
    // The row height of the owner-drawn styles (the start value of measureItem()); it
    // starts as the font's cell height and does not follow later font changes.
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int h);

    // The item texts. Setting them replaces the items (their values become 0) and leaves
    // no item selected; an editable style keeps its text.
    QStringList items() const;
    void setItems(const QStringList& texts);
    int itemCount() const;
    QString itemText(int index) const;
    // The number kept with each item (a colour, an id). Throws std::out_of_range for an
    // index that names no item.
    qint64 itemValue(int index) const;
    void setItemValue(int index, qint64 value);
    // Adds an item at the end, or at its place in the order while Sorted; returns its index.
    int addItem(const QString& text, qint64 value = 0);
    // Throws std::logic_error while Sorted, std::out_of_range outside 0..itemCount().
    void insertItem(int index, const QString& text, qint64 value = 0);
    // Removing the selected item leaves none selected.
    void deleteItem(int index);
    void clearItems();
    // The first item with this text, compared case-insensitively; -1 when there is none.
    int indexOfItem(const QString& text) const;

    // -1: no item is selected. An index outside the list selects none, as -1 does.
    int itemIndex() const;
    virtual void setItemIndex(int index);
    // The editable styles: the text field. The list styles: the selected item's text;
    // setting it selects the first item with that text (case-insensitive), or none.
    QString text() const;
    void setText(const QString& t);

    bool droppedDown() const { return m_droppedDown; }
    // Opens or closes the list, with the same events as the user's doing so. The simple
    // style's list is always shown and never "dropped down".
    void setDroppedDown(bool on);

    // The text field's rectangle in the control's coordinates.
    virtual QRect editFieldRect() const;
    // The inner text field of the editable styles, null for the list styles. It is
    // replaced when the style changes between editable and list styles.
    QLineEdit* editField() const;
    // The native combo box, and the list that shows the items (the drop-down list, or in
    // the simple style the one that is always shown).
    QComboBox* comboBox() const;
    QAbstractItemView* listView() const;

    bool customFrame() const { return m_customFrame; }

    void setBounds(int left, int top, int width, int height) override;
    int dialogCode() const override;

signals:
    void OnChange();
    void OnDropDown();
    void OnCloseUp();
    void OnSelect();
    // The owner-drawn styles' items; without a handler the text is drawn.
    void OnDrawItem(tk::Canvas& c, int index, const tk::Rect& r, bool selected);
    void OnMeasureItem(int index, int& height);
    // Every change of ItemIndex, the user's (right before OnClick, OnSelect and OnChange)
    // or the program's, which raises no event (see TControl on the NOTIFY signals). Typed
    // text that leaves the index as it is does not count.
    // (The value has a default only because moc checks a NOTIFY signal of a base class by
    // calling it without arguments; it is always emitted with the value.)
    void itemIndexChanged(int index = -1);

protected:
    // Draws item `index` (or -1: the closed box without a selection) in `r` on `c`, whose
    // brush is the background (clHighlight when selected, Color otherwise) and whose font
    // colour is the text colour (clHighlightText when selected). The base raises
    // OnDrawItem, or fills `r` and draws the text.
    virtual void drawItem(Canvas& c, int index, const Rect& r, bool selected);
    // The height of row `index` in csOwnerDrawVariable; `height` comes in as ItemHeight.
    virtual void measureItem(int index, int& height);

    virtual void change();
    // A change of the program's: while one lasts, the user's selection events stay quiet
    // and ItemIndex reports nothing; reportItemIndex() afterwards tells its net change.
    [[nodiscard]] QScopedValueRollback<int> programChange() {
        return QScopedValueRollback<int>(m_programChange, m_programChange + 1);
    }
    void reportItemIndex();
    virtual void select();
    virtual void dropDown();
    virtual void closeUp();

    // Re-applies every setting to the native widgets, as re-creating the native window
    // would: editable or not, list, colours, font, sizes, placement. Items, selection and
    // text stay. Called when the style changes.
    virtual void recreateWnd();

    // Whether the control paints its frame and button itself (see the top of this file).
    void setCustomFrame(bool on);

    void eraseBackground(Canvas& c) override;
    void colorChanged() override;
    void fontChanged() override;
    void enabledChanged() override;
    void sysColorChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class detail::NativeComboBox;
    friend class detail::ComboBoxStyle;
    friend class detail::ComboItemDelegate;

    // Draws one item, or the closed box's current item, through a Canvas on an image.
    void renderItem(QPainter& p, const QRect& r, int index, bool selected);
    void defaultDrawItem(Canvas& c, int index, const Rect& r);
    QRect nativeEditFieldRect() const;
    // Runs a change of the item list made by program: no events, the editable styles'
    // text kept, and the selection set to what `change` returns (given the one before).
    void changeItems(const std::function<int(int current)>& change);
    void userChangedSelection();
    void popupShown();
    void popupHidden();
    void layoutInner();
    void setUpEditField();
    void updateSimpleList();
    void destroySimpleList();
    void applyColors();
    void applyFont();
    void relayoutItems();
    int sortedPosition(const QString& text) const;
    void checkIndex(int index, const char* what) const;

    detail::NativeComboBox* m_combo = nullptr;
    std::unique_ptr<detail::ComboBoxStyle> m_nativeStyle;
    QPointer<QListView> m_simpleList;
    QPointer<QWidget> m_popup;
    TComboBoxStyle m_style = csDropDown;
    bool m_sorted = false;
    int m_dropDownCount = 8;
    int m_itemHeight = 0;
    bool m_droppedDown = false;
    bool m_customFrame = false;
    int m_programChange = 0;  // > 0 while the program, not the user, changes the selection
    int m_reportedIndex = -1; // the ItemIndex itemIndexChanged last told
};

using TComboBoxStyle = TCustomComboBox::TComboBoxStyle;
inline constexpr TComboBoxStyle csDropDown = TCustomComboBox::csDropDown;
inline constexpr TComboBoxStyle csSimple = TCustomComboBox::csSimple;
inline constexpr TComboBoxStyle csDropDownList = TCustomComboBox::csDropDownList;
inline constexpr TComboBoxStyle csOwnerDrawFixed = TCustomComboBox::csOwnerDrawFixed;
inline constexpr TComboBoxStyle csOwnerDrawVariable = TCustomComboBox::csOwnerDrawVariable;

// The combo box that layouts create.
class TComboBox : public TCustomComboBox {
    Q_OBJECT
public:
    explicit TComboBox(Component* owner = nullptr, QWidget* parent = nullptr);
};

// Makes TComboBox known to the layout reader.
void registerComboBoxClasses();

} // namespace tk
