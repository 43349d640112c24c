#pragma once

// The native combo box: a QComboBox hosted inside a control, so the text field, the
// drop-down list, keyboard selection and input methods are the platform's own. The
// QComboBox covers the control (in the simple style the top part, above a list that is
// always shown) and draws its frame and button as the application style does, or, with
// setCustomFrame(true), nothing but the text field at editFieldRect(), the rest being the
// control's own paint(Canvas&). Items are drawn on a Canvas (by drawItem() where
// owner-drawn); Color is the background of the text field and of the list.
//
// Events, in the order they are raised:
//   the user picks another item (in the list, with the arrow keys, by typing in a list
//   style, or in the editable styles by pressing Enter or leaving the field when the text
//   is an item's text, which selects that item):
//       OnClick (click()), then OnSelect, then OnChange (change())
//   the user edits the text of an editable style:           OnChange
//   the list opens:  OnDropDown, before it shows; an empty list does not open
//                    (a handler may fill it and then it does)
//   the list closes: OnCloseUp (closeUp()), after it is hidden; a pick made with the mouse
//                    closes the list before the selection changes
// Changes made by program (ItemIndex, Text, Items, Sorted, Style and the item functions)
// raise no event (itemIndexChanged tells every change of ItemIndex); a subclass that wants the
// click behaviour after a change of its own calls click(). Focus of the inner widgets reaches
// focusGained()/focusLost() and the form's focus tracking as the control's own; the list opening
// and closing are not focus changes. The mouse over the inner widgets reaches the mouse hooks as if
// it were over the control. ImeMode holds for the editable styles' text field.
//
// Keys: every style keeps the arrows and the characters, as a native combo box does (the
// arrows step through the items, characters search them or go into the text field, F4 and
// Alt+Down open the list); Tab, Enter and Escape stay with the form's navigation. The
// editable styles have no completion, and Enter never adds an item.

#include "Canvas.h"
#include "Control.h"
#include "Geometry.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStringList>
#include <functional>
#include <memory>

namespace tk {

class TCustomComboBox : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnChange,OnClick,OnDblClick,OnDropDown,OnCloseUp,OnSelect,"
                             "OnDrawItem,OnMeasureItem,OnEnter,OnExit,OnKeyDown,"
                             "OnKeyPress,OnKeyUp")
    Q_CLASSINFO("Range:DropDownCount", "1..1000")
    Q_CLASSINFO("Range:ItemHeight", "1..32767")
    Q_CLASSINFO("Range:ItemIndex", "-1..32767")
    Q_PROPERTY(tk::TComboBoxStyle Style READ comboStyle WRITE setComboStyle)
    Q_PROPERTY(bool Sorted READ sorted WRITE setSorted)
    Q_PROPERTY(int DropDownCount READ dropDownCount WRITE setDropDownCount)
    Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
    Q_PROPERTY(QString Text READ text WRITE setText)
public:
    explicit TCustomComboBox(Component* owner = nullptr, QWidget* parent = nullptr);
    ~TCustomComboBox() override;

    // Style; named so as not to hide QWidget::style().
    TComboBoxStyle comboStyle() const { return m_style; }
    void setComboStyle(TComboBoxStyle s) {
        if (assignIfChanged(m_style, s)) recreateWnd();
    }
    bool isEditable() const { return m_style == csDropDown || m_style == csSimple; }
    bool isOwnerDrawn() const { return m_style >= csOwnerDrawFixed; }

    // Items are kept in case-insensitive order while Sorted is on (equal texts keep the
    // order they came in); switching it on sorts the list and keeps the selected item.
    bool sorted() const { return m_sorted; }
    void setSorted(bool on);
    // The most rows the drop-down list shows before it scrolls.
    int dropDownCount() const { return m_combo->maxVisibleItems(); }
    void setDropDownCount(int n) { m_combo->setMaxVisibleItems(std::clamp(n, 1, 1000)); }
    // The owner-drawn styles' row height (measureItem()'s start value): the font's cell
    // height at first, not following font changes; a value below 1 is ignored.
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int h) {
        if (h >= 1 && h <= MaxCoordinate && assignIfChanged(m_itemHeight, h)) relayoutItems();
    }

    // Setting the items gives them the value 0 and selects none; an editable style keeps
    // its text.
    QStringList items() const;
    void setItems(const QStringList& texts);
    int itemCount() const { return m_combo->count(); }
    // Throw std::out_of_range for an index that names no item.
    QString itemText(int index) const { return m_combo->itemText(checked(index)); }
    // The number kept with the item (a colour, an id).
    qint64 itemValue(int index) const {
        return m_combo->itemData(checked(index), Qt::UserRole).toLongLong();
    }
    void setItemValue(int index, qint64 value);
    // At the end, or at its place in the order while Sorted; returns where.
    int addItem(const QString& text, qint64 value = 0);
    // Throws std::logic_error while Sorted, std::out_of_range outside 0..itemCount().
    void insertItem(int index, const QString& text, qint64 value = 0);
    // Removing the selected item leaves none selected.
    void deleteItem(int index);
    void clearItems() { setItems({}); }
    // The first item with this text, compared case-insensitively; -1 when there is none.
    int indexOfItem(const QString& text) const {
        return m_combo->findText(text, Qt::MatchFixedString);
    }

    // -1: no item is selected; an index outside the list selects none.
    int itemIndex() const { return m_combo->currentIndex(); }
    virtual void setItemIndex(int index);
    // The editable styles: the text field. The list styles: the selected item's text;
    // setting it selects the first item with that text (case-insensitive), or none.
    QString text() const { return m_combo->currentText(); }
    void setText(const QString& t);

    // Opening and closing the list raise the user's events; the simple style's list is
    // never "dropped down".
    bool droppedDown() const { return m_combo && m_combo->view()->window()->isVisible(); }
    void setDroppedDown(bool on) {
        if (on != droppedDown()) on ? m_combo->showPopup() : m_combo->hidePopup();
    }

    // The text field's rectangle in the control's coordinates.
    virtual QRect editFieldRect() const;
    // The editable styles' text field (a new one after a list style), else null.
    QLineEdit* editField() const { return m_combo ? m_combo->lineEdit() : nullptr; }
    QComboBox* comboBox() const { return m_combo; }
    // The drop-down list, or the simple style's list that is always shown.
    QAbstractItemView* listView() const {
        return m_simpleList ? m_simpleList.data() : m_combo->view();
    }

    bool customFrame() const { return m_customFrame; }

    void setBounds(int left, int top, int width, int height) override {
        TControl::setBounds(left, top, width, height);
        layoutInner();
    }
    int dialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

signals:
    void OnChange();
    void OnDropDown();
    void OnCloseUp();
    void OnSelect();
    // The owner-drawn styles' items; without a handler the text is drawn.
    void OnDrawItem(tk::Canvas& c, int index, const tk::Rect& r, bool selected);
    void OnMeasureItem(int index, int& height);
    // Every change of ItemIndex, the user's (right before OnClick, OnSelect and OnChange)
    // or the program's (see TControl on the NOTIFY signals); typed text does not count.
    // (The default is for moc, which checks a base class's NOTIFY signal without arguments.)
    void itemIndexChanged(int index = -1);

protected:
    // Draws item `index` (or -1: the closed box without a selection) in `r` on `c`, whose
    // brush is the background (clHighlight when selected, Color otherwise) and whose font
    // colour is the text colour (clHighlightText when selected). The base raises
    // OnDrawItem in the owner-drawn styles, or fills `r` and draws the text.
    virtual void drawItem(Canvas& c, int index, const Rect& r, bool selected);
    // The height of row `index` in csOwnerDrawVariable; `height` comes in as ItemHeight.
    virtual void measureItem(int index, int& height) { emit OnMeasureItem(index, height); }

    virtual void change() { emit OnChange(); }
    // A change of the program's: while one lasts, the user's selection events stay quiet
    // and ItemIndex reports nothing; reportItemIndex() afterwards tells its net change.
    [[nodiscard]] QScopedValueRollback<int> programChange() {
        return QScopedValueRollback<int>(m_programChange, m_programChange + 1);
    }
    void reportItemIndex();
    virtual void closeUp() { emit OnCloseUp(); }

    // Re-applies every setting to the native widgets, as re-creating the native window
    // would (the style changed); items, selection and text stay.
    virtual void recreateWnd();
    // Whether the control paints its frame and button itself (see the top of this file).
    void setCustomFrame(bool on);

    QWidget* textEntry() override { return m_combo; }
    void colorChanged() override {
        TControl::colorChanged();
        applyColors();
    }
    void fontChanged() override {
        TControl::fontChanged();
        applySettings();
    }
    void sysColorChanged() override {
        TControl::sysColorChanged();
        applyColors();
    }

private:
    class NativeComboBox;
    class ItemDelegate;
    class Style;

    // Draws one item, or the closed box's current item, through a Canvas on an image.
    void renderItem(QPainter& p, const QRect& r, int index, bool selected);
    // Runs a change of the item list made by program: no events, the editable styles'
    // text kept, and the selection on the item it was on (none once that item is gone).
    void changeItems(const std::function<void()>& change);
    void insertAt(int index, const QString& text, qint64 value);
    void layoutInner();
    // The font, the colours, the rows and the places of the inner widgets, anew.
    void applySettings();
    void applyColors();
    void relayoutItems();
    // `index`, when it names an item; throws std::out_of_range otherwise.
    int checked(int index) const;

    QComboBox* m_combo; // a NativeComboBox
    std::unique_ptr<Style> m_nativeStyle;
    QPointer<QAbstractItemView> m_simpleList;
    TComboBoxStyle m_style = csDropDown;
    bool m_sorted = false;
    int m_itemHeight = 0;
    bool m_customFrame = false;
    int m_programChange = 0;  // > 0 while the program, not the user, changes the selection
    int m_reportedIndex = -1; // the ItemIndex itemIndexChanged last told
};

class TComboBox : public TCustomComboBox {
    Q_OBJECT
public:
    using TCustomComboBox::TCustomComboBox;
};

void registerComboBoxClasses();

} // namespace tk
