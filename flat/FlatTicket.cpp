#include "FlatTicket.h"

#include "Accessible.h"

#include <algorithm>
#include <utility>

namespace flat {

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
    // While its owner is read the ticket waits and fits once, when the owner has been read
    // (TicketHolder::loaded): fitting on every font change on the way would let a stored
    // Ticket.Width win or lose depending on whether the layout happened to name it.
    if (owner() && owner()->isLoading()) return;
    tk::TLabel::adjustBounds();
    if (auto* o = dynamic_cast<TicketOwner*>(owner())) o->placeTicket();
}

void TicketHolder::create() {
    auto* t = new TDefineTicket(&m_owner);
    m_owner.freeNotification(t);
    t->setAutoSize(true);
    t->setTransparent(true);
    t->setFocusControl(&m_owner); // the ticket's accelerator focuses its owner
    m_ticket = t;
    m_component = t;
}

void TicketHolder::destroy() {
    // The reference goes first: the removal notification then finds nothing to clear.
    TDefineTicket* t = std::exchange(m_ticket, nullptr);
    m_component = nullptr;
    delete t;
}

void TicketHolder::setPosition(TTicketPosition p) {
    if (!m_ticket) return;
    m_position = p;
    place();
}

void TicketHolder::setSpace(int space) {
    if (!m_ticket) return;
    m_space = std::clamp(space, tk::MinCoordinate, tk::MaxCoordinate);
    setPosition(m_position);
}

void TicketHolder::place() {
    if (m_ticket) PlaceTicket(m_position, m_owner, *m_ticket, m_space);
}

void TicketHolder::loaded() {
    if (m_ticket) m_ticket->loaded();
    place();
}

void TicketHolder::reparent(QWidget* parent, const std::function<void()>& reparentOwner) {
    if (m_order == Reparenting::OwnerFirst) reparentOwner();
    if (m_ticket) {
        m_ticket->setParentControl(parent);
        // The ticket shows with its owner: a hidden owner keeps its ticket hidden too.
        m_ticket->setVisible(m_owner.visible());
    }
    if (m_order == Reparenting::TicketFirst) reparentOwner();
}

void TicketHolder::forget(const tk::Component* c, tk::Operation op) {
    if (op != tk::Operation::Remove || !c || c != m_component) return;
    m_ticket = nullptr;
    m_component = nullptr;
}

bool TicketHolder::rename(const QString& caption, const std::function<void()>& renameOwner) {
    if (!m_owner.isDesigning()) {
        renameOwner();
        return false;
    }
    const QString old = m_owner.name();
    const bool follow = m_ticket && (m_ticket->caption().isEmpty() ||
                                     m_ticket->caption().compare(old, Qt::CaseInsensitive) == 0);
    renameOwner();
    if (follow) m_ticket->setCaption(caption);
    return true;
}

} // namespace flat
