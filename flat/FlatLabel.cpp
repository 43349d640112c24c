#include "FlatLabel.h"

#include "Accessible.h"

#include <QEvent>

namespace flat {

namespace {

constexpr int NewLabelWidth = 121;
constexpr int NewLabelHeight = 20;
constexpr int HeightOverCell = 6; // the label is its font's cell height plus this

} // namespace

TDefineTicket::TDefineTicket(tk::Component* owner) : tk::TLabel(owner, nullptr) {
    setName(QStringLiteral("Ticket"));
    setSubComponent(true);
    if (owner) setCaption(QString());
    // Switching automatic sizing on fits the ticket to its (empty) caption at once.
    setAutoSize(true);
    adjustBounds();
}

void TDefineTicket::textChanged() {
    tk::TLabel::textChanged();
    if (owner())
        if (auto* c = qobject_cast<tk::TControl*>(owner()->object())) tk::accessibleNameChanged(c);
}

void TDefineTicket::adjustBounds() {
    tk::TLabel::adjustBounds();
    if (auto* o = dynamic_cast<TicketOwner*>(owner())) o->placeTicket();
}

TDefineLabel::TDefineLabel(tk::Component* owner, QWidget* parent) : TDefinePanel(owner, nullptr) {
    setBounds(0, 0, NewLabelWidth, NewLabelHeight);
    if (!m_ticket) {
        auto* t = new TDefineTicket(this);
        m_ticket = t;
        m_ticketComponent = t;
        freeNotification(t);
        t->setAutoSize(true);
        t->setTransparent(true);
        // The ticket's accelerator focuses the label.
        t->setFocusControl(this);
    }
    if (parent) TDefineLabel::setParentControl(parent);
}

TDefineLabel::~TDefineLabel() {
    // The ticket lives in the label's parent, not in the label: it goes first, explicitly.
    delete m_ticket;
}

QObject* TDefineLabel::ticketObject() const {
    return m_ticket;
}

void TDefineLabel::setTicketPosition(TTicketPosition p) {
    if (!m_ticket) return;
    m_ticketPosition = p;
    placeTicket();
}

void TDefineLabel::setTicketSpace(int space) {
    if (!m_ticket) return;
    m_ticketSpace = space;
    setTicketPosition(m_ticketPosition);
}

void TDefineLabel::placeTicket() {
    if (m_ticket) PlaceTicket(m_ticketPosition, *this, *m_ticket, m_ticketSpace);
}

void TDefineLabel::setBounds(int left, int top, int width, int height) {
    TDefinePanel::setBounds(left, top, width, height);
    placeTicket();
}

void TDefineLabel::setParentControl(QWidget* parent) {
    if (m_ticket) {
        m_ticket->setParentControl(parent);
        m_ticket->setVisible(visible());
    }
    TDefinePanel::setParentControl(parent);
}

void TDefineLabel::setName(const QString& name) {
    if (!isDesigning()) {
        TDefinePanel::setName(name);
        return;
    }
    // In a designer the ticket's caption follows the name until someone edits it.
    const QString old = this->name();
    const bool follow = m_ticket && (m_ticket->caption().isEmpty() ||
                                     m_ticket->caption().compare(old, Qt::CaseInsensitive) == 0);
    TDefinePanel::setName(name);
    if (follow) m_ticket->setCaption(name);
    setCaption(QString());
}

void TDefineLabel::loaded() {
    TDefinePanel::loaded();
    fitHeight();
}

void TDefineLabel::notification(tk::Component* c, tk::Operation op) {
    TDefinePanel::notification(c, op);
    if (op == tk::Operation::Remove && c && c == m_ticketComponent) {
        m_ticket = nullptr;
        m_ticketComponent = nullptr;
    }
}

void TDefineLabel::visibleChanged() {
    TDefinePanel::visibleChanged();
    if (m_ticket) m_ticket->setVisible(visible());
}

void TDefineLabel::enabledChanged() {
    TDefinePanel::enabledChanged();
    if (m_ticket) m_ticket->setEnabled(enabled());
}

void TDefineLabel::fontChanged() {
    TDefinePanel::fontChanged();
    if (!(isDesigning() && isLoading())) fitHeight();
}

void TDefineLabel::resized() {
    TDefinePanel::resized();
    fitHeight();
}

void TDefineLabel::changeEvent(QEvent* e) {
    TDefinePanel::changeEvent(e);
    if (e->type() == QEvent::LayoutDirectionChange && m_ticket)
        m_ticket->setLayoutDirection(layoutDirection());
}

void TDefineLabel::fitHeight() {
    const int h = controlFont().metrics().height + HeightOverCell;
    if (height() != h) setHeight(h);
}

TFlatLabel::TFlatLabel(tk::Component* owner, QWidget* parent) : TDefineLabel(owner, parent) {}

} // namespace flat
