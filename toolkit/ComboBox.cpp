#include "ComboBox.h"

#include "Layout.h"
#include "Navigation.h"

#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QProxyStyle>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace tk {

namespace {
// The gap between the left edge of an item and its text, as the platform draws items.
constexpr int ItemTextIndent = 2;
constexpr int DefaultWidth = 145;
constexpr int DefaultHeight = 21;
constexpr int DefaultDropDownCount = 8;
// Beside Qt::UserRole, which holds the item's value.
constexpr int SortRankRole = Qt::UserRole + 1;

bool lessCaseInsensitive(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}
} // namespace

// The style of the inner QComboBox: the application's, except that the text field lies
// where the control says, and that the list drops below the box without animations, so
// that it shows DropDownCount rows and closes at once.
class TCustomComboBox::Style : public QProxyStyle {
public:
    explicit Style(TCustomComboBox* host)
        : QProxyStyle(QApplication::style()->name()), m_host(host) {}

    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override {
        if (cc == CC_ComboBox && w && w == m_host->comboBox()) {
            if (sc == SC_ComboBoxEditField) return m_host->editFieldRect();
            // With the control's own frame, everything right of the text field opens the list.
            if (sc == SC_ComboBoxArrow && m_host->customFrame())
                return opt->rect.adjusted(m_host->editFieldRect().right() + 1, 0, 0, 0);
        }
        return QProxyStyle::subControlRect(cc, opt, sc, w);
    }

    int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w,
                  QStyleHintReturn* ret) const override {
        const bool off = hint == SH_ComboBox_Popup || hint == SH_Menu_FlashTriggeredItem ||
                         hint == SH_Menu_FadeOutOnHide;
        return off ? 0 : QProxyStyle::styleHint(hint, opt, w, ret);
    }

private:
    TCustomComboBox* m_host;
};

// The inner QComboBox. Its focus, the mouse over it, its line edit and the simple style's
// list, and its list's opening and closing reach the control before it reacts itself.
class TCustomComboBox::NativeComboBox : public QComboBox {
public:
    explicit NativeComboBox(TCustomComboBox* host)
        : QComboBox(host), m_host(host), m_popup(view()->window()) {
        m_popup->installEventFilter(this);
    }

    QStyleOptionComboBox option() const {
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        if (m_host->comboStyle() == csSimple) opt.subControls &= ~QStyle::SC_ComboBoxArrow;
        return opt;
    }

    void showPopup() override {
        if (m_host->comboStyle() == csSimple || m_host->droppedDown()) return;
        // Raised before the list shows, so that a handler can still fill it.
        emit m_host->OnDropDown();
        QComboBox::showPopup();
    }

    // Qt's line edit takes the input method whatever WA_InputMethodEnabled says, and a new
    // one takes it anew: ImeMode is asked each time. A list style has no text to take it.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query != Qt::ImEnabled) return QComboBox::inputMethodQuery(query);
        return isEditable() && m_host->imeMode() != imDisable &&
               QComboBox::inputMethodQuery(query).toBool();
    }

protected:
    bool event(QEvent* e) override {
        tell(this, e);
        return QComboBox::event(e);
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != m_popup) {
            tell(static_cast<QWidget*>(watched), e);
        } else if (e->type() == QEvent::Show || e->type() == QEvent::Hide) {
            m_host->update();
            update();
            if (e->type() == QEvent::Hide) m_host->closeUp();
        }
        return QComboBox::eventFilter(watched, e);
    }

    // The frame and button as the style draws them (unless the control paints its own),
    // then the list styles' current item; the editable styles' line edit paints itself.
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QStyleOptionComboBox opt = option();
        if (!m_host->customFrame())
            style()->drawComplexControl(QStyle::CC_ComboBox, &opt, &p, this);
        if (!isEditable())
            m_host->renderItem(p, m_host->editFieldRect(), currentIndex(),
                               hasFocus() && !m_host->droppedDown());
    }

private:
    void tell(QWidget* source, QEvent* e) {
        const QEvent::Type t = e->type();
        if (t == QEvent::FocusIn || t == QEvent::FocusOut) {
            // Opening and closing the list move Qt's focus to the popup and back, and the line
            // edit echoes the box's focus: neither is a change of the platform's focus.
            if (source != this || static_cast<QFocusEvent*>(e)->reason() == Qt::PopupFocusReason ||
                QApplication::activePopupWidget() == m_popup)
                return;
            if (t == QEvent::FocusIn) FocusTracker::focusMovedTo(m_host);
            t == QEvent::FocusIn ? m_host->focusGained() : m_host->focusLost();
            m_host->update();
        } else if (auto* me = dynamic_cast<QMouseEvent*>(e)) {
            // The simple style's list takes no focus of its own: a press on it focuses the box.
            if (t == QEvent::MouseButtonPress && source != this && source != lineEdit() &&
                !hasFocus() && m_host->canFocus())
                setFocus(Qt::MouseFocusReason);
            m_host->forwardInnerMouse(source, me);
        }
    }

    TCustomComboBox* m_host;
    QWidget* m_popup; // the drop-down list's window, a child of this box
};

// Rows of the owner-drawn styles come from the control's drawItem() and measureItem();
// the other styles keep the style's own rows.
class TCustomComboBox::ItemDelegate : public QStyledItemDelegate {
public:
    ItemDelegate(TCustomComboBox* host, QObject* parent)
        : QStyledItemDelegate(parent), m_host(host) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!m_host->isOwnerDrawn()) return QStyledItemDelegate::paint(painter, option, index);
        m_host->renderItem(*painter, option.rect, index.row(),
                           option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize natural = QStyledItemDelegate::sizeHint(option, index);
        // A row is at least the font's cell tall, so that fallback glyphs fit as well.
        if (!m_host->isOwnerDrawn())
            return natural.expandedTo(QSize(0, m_host->controlFont().metrics().height));
        int h = m_host->itemHeight();
        if (m_host->comboStyle() == csOwnerDrawVariable) m_host->measureItem(index.row(), h);
        return QSize(natural.width(), std::max(0, h));
    }

private:
    TCustomComboBox* m_host;
};

TCustomComboBox::TCustomComboBox(Component* owner, QWidget* parent)
    : TControl(owner, nullptr), m_combo(new NativeComboBox(this)),
      m_nativeStyle(std::make_unique<Style>(this)) {
    // A click on a combo box is the choice of an item, not a press and release.
    setControlStyle(TControlStyle(csSetCaption) | csDoubleClicks | csOpaque);
    m_itemHeight = std::max(1, controlFont().metrics().height);
    m_combo->setStyle(m_nativeStyle.get());
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMaxVisibleItems(DefaultDropDownCount);
    m_combo->setItemDelegate(new ItemDelegate(this, m_combo));
    setFocusProxy(m_combo);
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_simpleList) m_simpleList->setCurrentIndex(m_combo->model()->index(index, 0));
        if (m_programChange > 0) return;
        reportItemIndex();
        click();
        emit OnSelect();
        change();
    });
    setColor(clWindow);
    setTabStop(true);
    recreateWnd();
    setBounds(0, 0, DefaultWidth, DefaultHeight);
    if (parent) setParentControl(parent);
}

TCustomComboBox::~TCustomComboBox() {
    // The inner widgets go first, while the style they use still exists; the combo box is
    // no longer one for the style while it goes.
    delete m_simpleList.data();
    delete std::exchange(m_combo, nullptr);
}

void TCustomComboBox::setCustomFrame(bool on) {
    if (!assignIfChanged(m_customFrame, on)) return;
    layoutInner();
    update();
    m_combo->update();
}

// --- Items

void TCustomComboBox::setSorted(bool on) {
    if (!assignIfChanged(m_sorted, on) || !on) return;
    changeItems([this] {
        QList<int> order(itemCount());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return lessCaseInsensitive(m_combo->itemText(a), m_combo->itemText(b));
        });
        // The model sorts by each item's rank, moving the rows rather than copying them.
        // QComboBox's own model.
        auto* model = static_cast<QStandardItemModel*>(m_combo->model());
        for (int rank = 0; rank < order.size(); ++rank)
            model->item(order[rank])->setData(rank, SortRankRole);
        model->setSortRole(SortRankRole);
        model->sort(0);
        // QComboBox rewrites the text field, caret and all, when the selected row's data
        // changes: a rank left for the next sort would spare that row whenever it keeps its
        // place, and the field would then come through one sort as it is and not another.
        for (int row = 0; row < order.size(); ++row)
            model->item(row)->setData(QVariant(), SortRankRole);
    });
}

QStringList TCustomComboBox::items() const {
    QStringList list;
    for (int i = 0; i < itemCount(); ++i)
        list.append(m_combo->itemText(i));
    return list;
}

void TCustomComboBox::setItems(const QStringList& texts) {
    changeItems([&] {
        m_combo->clear();
        QStringList ordered = texts;
        if (m_sorted) std::stable_sort(ordered.begin(), ordered.end(), lessCaseInsensitive);
        m_combo->addItems(ordered);
    });
}

int TCustomComboBox::checked(int index) const {
    if (index < 0 || index >= itemCount())
        throw std::out_of_range(QStringLiteral("item index %1 is out of range (%2 items)")
                                    .arg(index)
                                    .arg(itemCount())
                                    .toStdString());
    return index;
}

void TCustomComboBox::setItemValue(int index, qint64 value) {
    checked(index);
    // Changing the selected row's data makes QComboBox rewrite the text field.
    changeItems([&] { m_combo->setItemData(index, QVariant::fromValue(value), Qt::UserRole); });
}

int TCustomComboBox::addItem(const QString& text, qint64 value) {
    int at = itemCount();
    // After the last item that does not come later, so that equal texts keep their order.
    while (m_sorted && at > 0 && lessCaseInsensitive(text, m_combo->itemText(at - 1)))
        --at;
    insertAt(at, text, value);
    return at;
}

void TCustomComboBox::insertItem(int index, const QString& text, qint64 value) {
    if (m_sorted)
        throw std::logic_error("insertItem: a sorted combo box decides where its items go");
    if (index != itemCount()) checked(index);
    insertAt(index, text, value);
}

void TCustomComboBox::insertAt(int index, const QString& text, qint64 value) {
    changeItems([&] { m_combo->insertItem(index, text, QVariant::fromValue(value)); });
}

void TCustomComboBox::deleteItem(int index) {
    checked(index);
    changeItems([&] { m_combo->removeItem(index); });
}

void TCustomComboBox::changeItems(const std::function<void()>& change) {
    {
        const auto guard = programChange();
        QLineEdit* edit = editField();
        const QString text = edit ? edit->text() : QString();
        // The selection stays with its item, and none is selected once that item goes.
        // QComboBox selects the first item of a list that was empty, and a neighbour of a
        // removed selected item; the platform's list does neither.
        const QPersistentModelIndex selected = m_combo->model()->index(itemIndex(), 0);
        change();
        const int wanted = selected.isValid() ? selected.row() : -1;
        if (m_combo->currentIndex() != wanted) m_combo->setCurrentIndex(wanted);
        if (edit && edit->text() != text) edit->setText(text);
        if (m_simpleList) relayoutItems();
    }
    reportItemIndex();
}

// --- Selection, text and the list

void TCustomComboBox::setItemIndex(int index) {
    if (index < 0 || index >= itemCount()) index = -1;
    if (index == itemIndex()) return;
    {
        const auto guard = programChange();
        m_combo->setCurrentIndex(index);
    }
    reportItemIndex();
}

void TCustomComboBox::setText(const QString& t) {
    if (QLineEdit* edit = editField()) {
        if (edit->text() != t) edit->setText(t);
        return;
    }
    // Among equal texts the selected item stays, so a stored Text does not move ItemIndex.
    if (itemIndex() >= 0 && m_combo->itemText(itemIndex()) == t) return;
    const int index = m_combo->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setItemIndex(index >= 0 ? index : indexOfItem(t));
}

void TCustomComboBox::reportItemIndex() {
    if (m_programChange > 0 || itemIndex() == m_reportedIndex) return;
    m_reportedIndex = itemIndex();
    emit itemIndexChanged(m_reportedIndex);
}

void TCustomComboBox::relayoutItems() {
    m_combo->view()->doItemsLayout();
    if (m_simpleList) m_simpleList->doItemsLayout();
}

// --- Drawing and geometry

void TCustomComboBox::drawItem(Canvas& c, int index, const Rect& r, bool selected) {
    if (isOwnerDrawn() && isHandled(&TCustomComboBox::OnDrawItem)) {
        emit OnDrawItem(c, index, r, selected);
        return;
    }
    c.fillRect(r);
    if (index < 0 || index >= itemCount()) return;
    c.setTextBackground(TextBackground::Transparent);
    c.drawText(Rect{r.Left + ItemTextIndent, r.Top, r.Right, r.Bottom}, m_combo->itemText(index),
               TextFormat::SingleLine | TextFormat::VCenter | TextFormat::NoPrefix);
}

void TCustomComboBox::renderItem(QPainter& p, const QRect& r, int index, bool selected) {
    if (r.isEmpty()) return;
    const qreal dpr = p.device() ? p.device()->devicePixelRatio() : 1.0;
    QImage image((QSizeF(r.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(toQColor(color()));
    {
        Canvas c(image);
        c.moveOrigin(-r.x(), -r.y());
        c.setFont(controlFont());
        c.setBrushColor(selected ? clHighlight : color());
        if (selected) c.setFontColor(clHighlightText);
        // The other styles draw as the base does, without OnDrawItem.
        if (isOwnerDrawn())
            drawItem(c, index, Rect::fromQRect(r), selected);
        else
            TCustomComboBox::drawItem(c, index, Rect::fromQRect(r), selected);
    }
    p.drawImage(r.topLeft(), image);
}

QRect TCustomComboBox::editFieldRect() const {
    const QStyleOptionComboBox opt = static_cast<NativeComboBox*>(m_combo)->option();
    QRect r = m_nativeStyle->baseStyle()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                         QStyle::SC_ComboBoxEditField, m_combo);
    // Without a button the field is as wide as the frame allows on both sides.
    if (m_style == csSimple) r.setRight(m_combo->width() - 1 - r.left());
    return r;
}

void TCustomComboBox::layoutInner() {
    const int fieldHeight =
        m_simpleList ? std::min(height(), m_combo->sizeHint().height()) : height();
    m_combo->setGeometry(0, 0, width(), fieldHeight);
    if (m_simpleList)
        m_simpleList->setGeometry(0, fieldHeight, width(), std::max(0, height() - fieldHeight));
    // The combo box places its line edit on its own resize, which a hidden one defers.
    if (QLineEdit* edit = editField()) edit->setGeometry(editFieldRect());
}

// --- Native settings

void TCustomComboBox::recreateWnd() {
    {
        const auto guard = programChange();
        if (m_style == csSimple && droppedDown()) m_combo->hidePopup();
        const bool newField = isEditable() && !m_combo->isEditable();
        // A new field starts with the selected item's text.
        m_combo->setEditable(isEditable());
        if (newField) {
            QLineEdit* edit = editField();
            edit->setAutoFillBackground(true);
            // The platform's field completes nothing; QComboBox gives its field a completer.
            edit->setCompleter(nullptr);
            edit->installEventFilter(m_combo);
            connect(edit, &QLineEdit::textEdited, this, [this] { change(); });
        }
        if (m_style != csSimple) {
            delete m_simpleList.data();
        } else if (!m_simpleList) {
            m_simpleList = new QListView(this);
            m_simpleList->setModel(m_combo->model());
            m_simpleList->setItemDelegate(new ItemDelegate(this, m_simpleList));
            // The text field keeps the focus; the list only shows and takes clicks.
            m_simpleList->setFocusPolicy(Qt::NoFocus);
            m_simpleList->setEditTriggers(QAbstractItemView::NoEditTriggers);
            m_simpleList->viewport()->installEventFilter(m_combo);
            m_simpleList->setCurrentIndex(m_combo->model()->index(itemIndex(), 0));
            connect(m_simpleList, &QAbstractItemView::pressed, this,
                    [this](const QModelIndex& row) { m_combo->setCurrentIndex(row.row()); });
            m_simpleList->show();
        }
    }
    reportItemIndex();
    applySettings();
}

void TCustomComboBox::applySettings() {
    // QComboBox passes its font and palette on to its field and its list.
    const QFont f = controlFont().toQFont();
    m_combo->setFont(f);
    if (m_simpleList) m_simpleList->setFont(f);
    applyColors();
    relayoutItems();
    layoutInner();
    update();
    m_combo->update();
}

void TCustomComboBox::applyColors() {
    const QColor back = toQColor(color());
    const QColor text = toQColor(controlFont().color());
    const auto apply = [&](QWidget* w) {
        if (!w) return;
        QPalette p = w->palette();
        p.setColor(QPalette::Base, back);
        for (auto g : {QPalette::Active, QPalette::Inactive})
            p.setColor(g, QPalette::Text, text);
        w->setPalette(p);
    };
    apply(m_combo);
    apply(m_simpleList);
}

void registerComboBoxClasses() {
    registerLayoutClass<TComboBox>();
}

} // namespace tk
