#include "ComboBox.h"

#include "Layout.h"
#include "Navigation.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScopedValueRollback>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tk {

namespace {
// The gap between the left edge of an item and its text, as the platform draws items.
constexpr int ItemTextIndent = 2;
constexpr int DefaultWidth = 145;
constexpr int DefaultHeight = 21;
} // namespace

namespace detail {

// The style of the inner QComboBox: the application's, except that the text field lies
// where the control says, and that the list drops below the box without animations, so
// that it shows DropDownCount rows and closes at once.
class ComboBoxStyle : public QProxyStyle {
public:
    explicit ComboBoxStyle(TCustomComboBox* host)
        : QProxyStyle(QApplication::style()->name()), m_host(host) {}

    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override {
        if (cc == CC_ComboBox && w && w == static_cast<const QWidget*>(m_host->comboBox())) {
            if (sc == SC_ComboBoxEditField) return m_host->editFieldRect();
            // With the control's own frame, everything right of the text field opens the list.
            if (sc == SC_ComboBoxArrow && m_host->customFrame()) {
                const QRect field = m_host->editFieldRect();
                return QRect(QPoint(field.right() + 1, opt->rect.top()), opt->rect.bottomRight());
            }
        }
        return QProxyStyle::subControlRect(cc, opt, sc, w);
    }

    int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w,
                  QStyleHintReturn* ret) const override {
        switch (hint) {
        case SH_ComboBox_Popup:
        case SH_Menu_FlashTriggeredItem:
        case SH_Menu_FadeOutOnHide:
            return 0;
        default:
            return QProxyStyle::styleHint(hint, opt, w, ret);
        }
    }

private:
    TCustomComboBox* m_host;
};

class NativeComboBox : public QComboBox {
public:
    explicit NativeComboBox(TCustomComboBox* host) : QComboBox(host), m_host(host) {}

    QStyleOptionComboBox option() const {
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        if (m_host->comboStyle() == TCustomComboBox::csSimple)
            opt.subControls &= ~QStyle::SC_ComboBoxArrow;
        return opt;
    }

    void showPopup() override {
        if (m_host->comboStyle() == TCustomComboBox::csSimple || m_host->droppedDown()) return;
        // Raised before the list shows, so that a handler can still fill it.
        m_host->dropDown();
        QComboBox::showPopup();
    }

protected:
    // The frame and button as the style draws them (unless the control paints its own),
    // then the list styles' current item; the editable styles' line edit paints itself.
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!m_host->customFrame()) {
            const QStyleOptionComboBox opt = option();
            style()->drawComplexControl(QStyle::CC_ComboBox, &opt, &p, this);
        }
        if (!isEditable())
            m_host->renderItem(p, m_host->editFieldRect(), currentIndex(),
                               hasFocus() && !m_host->droppedDown());
    }

private:
    TCustomComboBox* m_host;
};

// Rows of the owner-drawn styles come from the control's drawItem() and measureItem();
// the other styles keep the style's own rows.
class ComboItemDelegate : public QStyledItemDelegate {
public:
    ComboItemDelegate(TCustomComboBox* host, QObject* parent)
        : QStyledItemDelegate(parent), m_host(host) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!m_host->isOwnerDrawn()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        m_host->renderItem(*painter, option.rect, index.row(),
                           option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize natural = QStyledItemDelegate::sizeHint(option, index);
        // A row is at least the font's cell tall, so that fallback glyphs fit as well.
        if (!m_host->isOwnerDrawn())
            return natural.expandedTo(QSize(0, m_host->controlFont().metrics().height));
        int h = m_host->itemHeight();
        if (m_host->comboStyle() == TCustomComboBox::csOwnerDrawVariable)
            m_host->measureItem(index.row(), h);
        return QSize(natural.width(), std::max(0, h));
    }

private:
    TCustomComboBox* m_host;
};

} // namespace detail

TCustomComboBox::TCustomComboBox(Component* owner, QWidget* parent) : TControl(owner, nullptr) {
    // A click on a combo box is the choice of an item, not a press and release.
    setControlStyle(TControlStyle(csSetCaption) | csDoubleClicks | csOpaque);
    m_itemHeight = std::max(1, controlFont().metrics().height);

    m_combo = new detail::NativeComboBox(this);
    m_nativeStyle = std::make_unique<detail::ComboBoxStyle>(this);
    m_combo->setStyle(m_nativeStyle.get());
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMaxVisibleItems(m_dropDownCount);
    m_combo->setItemDelegate(new detail::ComboItemDelegate(this, m_combo));
    if (auto* list = qobject_cast<QListView*>(m_combo->view())) list->setUniformItemSizes(false);
    m_popup = m_combo->view()->window();
    if (m_popup && m_popup != window()) m_popup->installEventFilter(this);
    m_combo->installEventFilter(this);
    setFocusProxy(m_combo);
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_simpleList) {
            const auto guard = programChange();
            m_simpleList->selectionModel()->setCurrentIndex(m_combo->model()->index(index, 0),
                                                            QItemSelectionModel::ClearAndSelect);
        }
        if (m_programChange == 0) userChangedSelection();
    });
    setUpEditField();

    setColor(clWindow);
    setTabStop(true);
    applyFont();
    applyColors();
    setBounds(0, 0, DefaultWidth, DefaultHeight);
    if (parent) setParentControl(parent);
}

TCustomComboBox::~TCustomComboBox() {
    // The inner widgets go first, while the style they use still exists, and without
    // telling this half-destroyed control about their last events.
    if (m_popup) m_popup->removeEventFilter(this);
    m_combo->removeEventFilter(this);
    if (QLineEdit* edit = editField()) {
        edit->removeEventFilter(this);
        edit->disconnect(this);
    }
    m_combo->disconnect(this);
    destroySimpleList();
    // Null first: the style asks whether a widget is the combo box while it goes.
    delete std::exchange(m_combo, nullptr);
}

void TCustomComboBox::destroySimpleList() {
    // Out of reach before it goes: a widget being destroyed still sends events.
    QListView* list = m_simpleList;
    if (!list) return;
    m_simpleList = nullptr;
    list->viewport()->removeEventFilter(this);
    list->selectionModel()->disconnect(this);
    delete list;
}

// --- Settings

void TCustomComboBox::setComboStyle(TComboBoxStyle s) {
    if (assignIfChanged(m_style, s)) recreateWnd();
}

void TCustomComboBox::setSorted(bool on) {
    if (on == m_sorted) return;
    m_sorted = on;
    if (!on) return;
    changeItems([this](int current) {
        const int n = itemCount();
        std::vector<int> order(std::size_t(n), 0);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return QString::compare(itemText(a), itemText(b), Qt::CaseInsensitive) < 0;
        });
        QStringList texts;
        QList<qint64> values;
        for (int i : order) {
            texts.append(itemText(i));
            values.append(itemValue(i));
        }
        // Rewritten in place, so the rows keep existing and nothing is selected on the way.
        for (int i = 0; i < n; ++i) {
            m_combo->setItemText(i, texts[i]);
            m_combo->setItemData(i, QVariant::fromValue(values[i]), Qt::UserRole);
        }
        if (current < 0) return -1;
        return int(std::find(order.begin(), order.end(), current) - order.begin());
    });
}

void TCustomComboBox::setDropDownCount(int n) {
    n = std::max(1, n);
    if (n == m_dropDownCount) return;
    m_dropDownCount = n;
    m_combo->setMaxVisibleItems(n);
}

void TCustomComboBox::setItemHeight(int h) {
    // The platform keeps its row height for a value that is not positive.
    if (h < 1 || h == m_itemHeight) return;
    m_itemHeight = h;
    relayoutItems();
    m_combo->update();
}

void TCustomComboBox::setCustomFrame(bool on) {
    if (!assignIfChanged(m_customFrame, on)) return;
    layoutInner();
    update();
    m_combo->update();
}

// --- Items

QStringList TCustomComboBox::items() const {
    QStringList list;
    for (int i = 0; i < itemCount(); ++i)
        list.append(m_combo->itemText(i));
    return list;
}

void TCustomComboBox::setItems(const QStringList& texts) {
    changeItems([&](int) {
        m_combo->clear();
        QStringList ordered = texts;
        if (m_sorted)
            std::stable_sort(ordered.begin(), ordered.end(),
                             [](const QString& a, const QString& b) {
                                 return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                             });
        m_combo->addItems(ordered);
        return -1;
    });
}

int TCustomComboBox::itemCount() const {
    return m_combo->count();
}

void TCustomComboBox::checkIndex(int index, const char* what) const {
    if (index < 0 || index >= itemCount())
        throw std::out_of_range(QStringLiteral("%1: item index %2 is out of range (%3 items)")
                                    .arg(QLatin1String(what))
                                    .arg(index)
                                    .arg(itemCount())
                                    .toStdString());
}

QString TCustomComboBox::itemText(int index) const {
    checkIndex(index, "itemText");
    return m_combo->itemText(index);
}

qint64 TCustomComboBox::itemValue(int index) const {
    checkIndex(index, "itemValue");
    return m_combo->itemData(index, Qt::UserRole).toLongLong();
}

void TCustomComboBox::setItemValue(int index, qint64 value) {
    checkIndex(index, "setItemValue");
    // Changing the selected row's data makes QComboBox rewrite the text field.
    changeItems([&](int current) {
        m_combo->setItemData(index, QVariant::fromValue(value), Qt::UserRole);
        return current;
    });
    m_combo->update();
}

int TCustomComboBox::sortedPosition(const QString& text) const {
    int i = itemCount();
    // After the last item that does not come later, so that equal texts keep their order.
    while (i > 0 && QString::compare(m_combo->itemText(i - 1), text, Qt::CaseInsensitive) > 0)
        --i;
    return i;
}

int TCustomComboBox::addItem(const QString& text, qint64 value) {
    const int at = m_sorted ? sortedPosition(text) : itemCount();
    changeItems([&](int current) {
        m_combo->insertItem(at, text, QVariant::fromValue(value));
        return current < 0 ? -1 : current >= at ? current + 1 : current;
    });
    return at;
}

void TCustomComboBox::insertItem(int index, const QString& text, qint64 value) {
    if (m_sorted)
        throw std::logic_error("insertItem: a sorted combo box decides where its items go");
    if (index < 0 || index > itemCount())
        throw std::out_of_range(QStringLiteral("insertItem: position %1 is out of range (%2 items)")
                                    .arg(index)
                                    .arg(itemCount())
                                    .toStdString());
    changeItems([&](int current) {
        m_combo->insertItem(index, text, QVariant::fromValue(value));
        return current < 0 ? -1 : current >= index ? current + 1 : current;
    });
}

void TCustomComboBox::deleteItem(int index) {
    checkIndex(index, "deleteItem");
    changeItems([&](int current) {
        m_combo->removeItem(index);
        return current == index ? -1 : current > index ? current - 1 : current;
    });
}

void TCustomComboBox::clearItems() {
    setItems({});
}

int TCustomComboBox::indexOfItem(const QString& text) const {
    return m_combo->findText(text, Qt::MatchFixedString);
}

void TCustomComboBox::changeItems(const std::function<int(int current)>& change) {
    {
        const auto guard = programChange();
        QLineEdit* edit = editField();
        const QString text = edit ? edit->text() : QString();
        // QComboBox selects the first item of a list that was empty, and a neighbour of a
        // removed selected item; the platform's list does neither.
        const int wanted = change(m_combo->currentIndex());
        if (m_combo->currentIndex() != wanted) m_combo->setCurrentIndex(wanted);
        if (edit && edit->text() != text) edit->setText(text);
        if (m_simpleList) relayoutItems();
    }
    reportItemIndex();
}

// --- Selection and text

int TCustomComboBox::itemIndex() const {
    return m_combo->currentIndex();
}

void TCustomComboBox::setItemIndex(int index) {
    if (index < 0 || index >= itemCount()) index = -1;
    if (index == itemIndex()) return;
    {
        const auto guard = programChange();
        m_combo->setCurrentIndex(index);
    }
    reportItemIndex();
}

QString TCustomComboBox::text() const {
    if (QLineEdit* edit = editField()) return edit->text();
    return m_combo->currentText();
}

void TCustomComboBox::setText(const QString& t) {
    if (QLineEdit* edit = editField()) {
        if (edit->text() != t) edit->setText(t);
        return;
    }
    const int current = itemIndex();
    // Among equal texts the selected item stays, so a stored Text does not move ItemIndex.
    if (current >= 0 && m_combo->itemText(current) == t) return;
    int index = m_combo->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) index = indexOfItem(t);
    setItemIndex(index);
}

void TCustomComboBox::userChangedSelection() {
    reportItemIndex();
    click();
    select();
    change();
}

void TCustomComboBox::reportItemIndex() {
    if (m_programChange > 0 || itemIndex() == m_reportedIndex) return;
    m_reportedIndex = itemIndex();
    emit itemIndexChanged(m_reportedIndex);
}

void TCustomComboBox::change() {
    emit OnChange();
}

void TCustomComboBox::select() {
    emit OnSelect();
}

void TCustomComboBox::dropDown() {
    emit OnDropDown();
}

void TCustomComboBox::closeUp() {
    emit OnCloseUp();
}

// --- The list

void TCustomComboBox::setDroppedDown(bool on) {
    if (on == m_droppedDown) return;
    if (on)
        m_combo->showPopup();
    else
        m_combo->hidePopup();
}

void TCustomComboBox::popupShown() {
    if (m_droppedDown) return;
    m_droppedDown = true;
    update();
    m_combo->update();
}

void TCustomComboBox::popupHidden() {
    if (!m_droppedDown) return;
    m_droppedDown = false;
    update();
    m_combo->update();
    closeUp();
}

QComboBox* TCustomComboBox::comboBox() const {
    return m_combo;
}

QLineEdit* TCustomComboBox::editField() const {
    return m_combo ? m_combo->lineEdit() : nullptr;
}

QAbstractItemView* TCustomComboBox::listView() const {
    if (m_simpleList) return m_simpleList;
    return m_combo->view();
}

void TCustomComboBox::relayoutItems() {
    m_combo->view()->doItemsLayout();
    if (m_simpleList) m_simpleList->doItemsLayout();
}

// --- Drawing

void TCustomComboBox::drawItem(Canvas& c, int index, const Rect& r, bool selected) {
    if (isHandled(&TCustomComboBox::OnDrawItem))
        emit OnDrawItem(c, index, r, selected);
    else
        defaultDrawItem(c, index, r);
}

void TCustomComboBox::measureItem(int index, int& height) {
    emit OnMeasureItem(index, height);
}

void TCustomComboBox::defaultDrawItem(Canvas& c, int index, const Rect& r) {
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
        const Rect area = Rect::fromQRect(r);
        if (isOwnerDrawn())
            drawItem(c, index, area, selected);
        else
            defaultDrawItem(c, index, area);
    }
    p.drawImage(r.topLeft(), image);
}

void TCustomComboBox::eraseBackground(Canvas& c) {
    // The native frame has rounded corners in some styles: what shows there is the parent.
    if (m_customFrame)
        TControl::eraseBackground(c);
    else
        paintParentBackground(this, c);
}

// --- Geometry

QRect TCustomComboBox::nativeEditFieldRect() const {
    const QStyleOptionComboBox opt = m_combo->option();
    QRect r = m_nativeStyle->baseStyle()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                         QStyle::SC_ComboBoxEditField, m_combo);
    // Without a button the field is as wide as the frame allows on both sides.
    if (m_style == csSimple) r.setRight(m_combo->width() - 1 - r.left());
    return r;
}

QRect TCustomComboBox::editFieldRect() const {
    return nativeEditFieldRect();
}

void TCustomComboBox::setBounds(int l, int t, int w, int h) {
    TControl::setBounds(l, t, w, h);
    layoutInner();
}

void TCustomComboBox::layoutInner() {
    if (m_style == csSimple) {
        const int fieldHeight = std::min(height(), m_combo->sizeHint().height());
        m_combo->setGeometry(0, 0, width(), fieldHeight);
        if (m_simpleList)
            m_simpleList->setGeometry(0, fieldHeight, width(), std::max(0, height() - fieldHeight));
    } else {
        m_combo->setGeometry(0, 0, width(), height());
    }
    // The combo box places its line edit on its own resize, which a hidden one defers.
    if (QLineEdit* edit = editField()) edit->setGeometry(editFieldRect());
}

// --- Native settings

void TCustomComboBox::setUpEditField() {
    auto* edit = new QLineEdit(m_combo);
    edit->setFrame(false);
    edit->setAutoFillBackground(true);
    m_combo->setLineEdit(edit);
    // The platform's field completes nothing; QComboBox installs a completer with the edit.
    edit->setCompleter(nullptr);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this] { change(); });
}

void TCustomComboBox::updateSimpleList() {
    if (m_style != csSimple) {
        destroySimpleList();
        return;
    }
    if (m_simpleList) return;
    auto* list = new QListView(this);
    m_simpleList = list;
    list->setModel(m_combo->model());
    list->setItemDelegate(new detail::ComboItemDelegate(this, list));
    // The text field keeps the focus; the list only shows and takes clicks.
    list->setFocusPolicy(Qt::NoFocus);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(false);
    list->viewport()->installEventFilter(this);
    list->selectionModel()->setCurrentIndex(m_combo->model()->index(itemIndex(), 0),
                                            QItemSelectionModel::ClearAndSelect);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_programChange == 0) m_combo->setCurrentIndex(current.row());
            });
    list->show();
}

void TCustomComboBox::recreateWnd() {
    {
        const auto guard = programChange();
        if (m_style == csSimple && m_droppedDown) m_combo->hidePopup();
        if (isEditable() != m_combo->isEditable()) {
            if (isEditable()) {
                const QString current = m_combo->currentText();
                setUpEditField();
                editField()->setText(current);
            } else {
                m_combo->setEditable(false);
            }
        }
        m_combo->setMaxVisibleItems(m_dropDownCount);
        updateSimpleList();
    }
    reportItemIndex();
    applyFont();
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
        for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(g, QPalette::Base, back);
        for (auto g : {QPalette::Active, QPalette::Inactive})
            p.setColor(g, QPalette::Text, text);
        w->setPalette(p);
    };
    apply(m_combo);
    apply(editField());
    apply(m_combo->view());
    apply(m_simpleList);
}

void TCustomComboBox::applyFont() {
    const QFont f = controlFont().toQFont();
    m_combo->setFont(f);
    m_combo->view()->setFont(f);
    if (m_simpleList) m_simpleList->setFont(f);
}

void TCustomComboBox::colorChanged() {
    TControl::colorChanged();
    applyColors();
}

void TCustomComboBox::fontChanged() {
    TControl::fontChanged();
    applyFont();
    applyColors();
    relayoutItems();
    layoutInner();
    update();
}

void TCustomComboBox::enabledChanged() {
    TControl::enabledChanged();
    m_combo->update();
}

void TCustomComboBox::sysColorChanged() {
    TControl::sysColorChanged();
    applyColors();
    update();
}

int TCustomComboBox::dialogCode() const {
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

// --- Events of the inner widgets

bool TCustomComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_popup && m_popup) {
        if (event->type() == QEvent::Show)
            popupShown();
        else if (event->type() == QEvent::Hide)
            popupHidden();
        return false;
    }
    QWidget* viewport = m_simpleList ? m_simpleList->viewport() : nullptr;
    const bool inner = watched == m_combo || (watched && watched == editField()) ||
                       (viewport && watched == viewport);
    if (!inner) return TControl::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // The list opening and closing move Qt's focus to the popup and back; the platform's
        // focus stays on the box.
        const bool popupMoves =
            static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason ||
            (m_popup && QApplication::activePopupWidget() == m_popup);
        if (watched != m_combo || popupMoves) break;
        if (event->type() == QEvent::FocusIn) {
            FocusTracker::focusMovedTo(this);
            focusGained();
        } else {
            focusLost();
        }
        update();
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->type() == QEvent::MouseButtonPress && watched == viewport && !m_combo->hasFocus() &&
            canFocus())
            m_combo->setFocus(Qt::MouseFocusReason);
        forwardInnerMouse(static_cast<QWidget*>(watched), me);
        break;
    }
    default:
        break;
    }
    return false;
}

TComboBox::TComboBox(Component* owner, QWidget* parent) : TCustomComboBox(owner, parent) {}

void registerComboBoxClasses() {
    registerLayoutClass<TComboBox>();
}

} // namespace tk
