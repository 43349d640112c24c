#pragma once

// The ticket: the small caption label a flat control keeps beside itself, and the one
// piece of code by which its owner keeps it there.

#include "FlatUtils.h"
#include "Label.h"

#include <QEvent>
#include <QObject>
#include <functional>

namespace flat {

// The small caption label a flat control owns and keeps beside itself, as a sibling in
// the control's parent. It is a sub-component: layouts store its properties under the
// owner's Ticket (Ticket.Width, Ticket.Height, Ticket.Cursor).
class TDefineTicket : public tk::TLabel {
    Q_OBJECT
    // Where it stands follows from its owner's bounds, and it takes no focus.
    Q_PROPERTY(int Left READ left WRITE setLeft STORED false)
    Q_PROPERTY(int Top READ top WRITE setTop STORED false)
    Q_PROPERTY(int TabOrder READ tabOrder WRITE setTabOrder STORED false)
public:
    explicit TDefineTicket(tk::Component* owner = nullptr);

protected:
    void adjustBounds() override;
    // The ticket names its owner for assistive technology.
    void textChanged() override;
};

// Everything an owner does to keep its ticket beside itself, in one order for every owner
// (TicketBearing runs the steps from the owner's operations, each after the base
// operation):
//   constructor body   create(): owned by the owner, which hears of its destruction;
//                      sized to its caption, transparent, its accelerator focusing the
//                      owner; without a parent until the owner gets one
//   set bounds         place()
//   re-parent          reparent(): the ticket takes the same parent and the owner's
//                      Visible, before or after the owner moves (Reparenting)
//   visibility, enabled state, reading direction changed: the ticket follows
//   loaded             loaded(): the ticket fits itself to its caption now (it does not
//                      while its owner is read), then place(): its size may have come
//                      after the owner's bounds
//   removal            forget(): the ticket's destruction clears the reference; every
//                      step skips a missing ticket, so the owner works on without one
//   rename             rename(): in a designer, the caption follows the name
//   destruction        destroy(), before the owner's bases go: the ticket lives in the
//                      owner's parent, not in the owner
// The ticket itself asks for place() whenever it has re-sized itself to its caption or
// font (TicketOwner::placeTicket()).
class TicketHolder {
public:
    // Which goes first into a new parent. The label and the edit move their ticket ahead
    // of themselves; the combo and colour boxes move first and take their ticket along.
    enum class Reparenting { TicketFirst, OwnerFirst };

    TicketHolder(tk::TControl& owner, Reparenting order) : m_owner(owner), m_order(order) {}
    TicketHolder(const TicketHolder&) = delete;
    TicketHolder& operator=(const TicketHolder&) = delete;

    void create();
    void destroy();
    TDefineTicket* ticket() const { return m_ticket; }

    TTicketPosition position() const { return m_position; }
    // Stores and places; without a ticket the value is dropped.
    void setPosition(TTicketPosition p);
    int space() const { return m_space; }
    // Stores and places again at the current position; without a ticket it is dropped.
    void setSpace(int space);
    // PlaceTicket with the current position and space.
    void place();
    // The owner has been read.
    void loaded();

    // `reparentOwner` runs the owner's base re-parent operation.
    void reparent(QWidget* parent, const std::function<void()>& reparentOwner);
    void forget(const tk::Component* c, tk::Operation op);
    // Renames the owner through `renameOwner`. In a designer a ticket whose caption is
    // empty or the old name (ignoring case) takes `caption` (the new name for most owners)
    // until someone edits it. Returns whether the owner is being designed, for the owner's
    // own designer steps.
    bool rename(const QString& caption, const std::function<void()>& renameOwner);

private:
    tk::TControl& m_owner;
    Reparenting m_order;
    TDefineTicket* m_ticket = nullptr;
    // The ticket as a component, kept apart because the removal notification arrives
    // while the ticket's own destructors have already run.
    const tk::Component* m_component = nullptr;
    TTicketPosition m_position = poLeft;
    int m_space = 3;
};

// A control that keeps a ticket beside itself: the label, the edit, the combo box and the
// colour box (through TicketBearing). What the ticket and assistive technology find, and
// the ticket settings the owners share.
class TicketOwner {
public:
    // Null once the ticket has been destroyed; the owner then works without one.
    TDefineTicket* ticket() const { return m_ticket.ticket(); }
    QObject* ticketObject() const { return m_ticket.ticket(); }
    TTicketPosition ticketPosition() const { return m_ticket.position(); }
    void setTicketPosition(TTicketPosition p) { m_ticket.setPosition(p); }
    int ticketSpace() const { return m_ticket.space(); }
    void setTicketSpace(int space) { m_ticket.setSpace(space); }
    void placeTicket() { m_ticket.place(); }

protected:
    TicketOwner(tk::TControl& self, TicketHolder::Reparenting order) : m_ticket(self, order) {}
    ~TicketOwner() = default;

    TicketHolder m_ticket;
};

// What the edit and the label publish of their ticket (the combo boxes publish nothing).
#define FLAT_TICKET_PROPERTIES                                                                     \
    Q_PROPERTY(QObject* Ticket READ ticketObject)                                                  \
    Q_PROPERTY(flat::TTicketPosition TicketPosition READ ticketPosition WRITE setTicketPosition)   \
    Q_PROPERTY(int TicketSpace READ ticketSpace WRITE setTicketSpace)                              \
    Q_CLASSINFO("Range:TicketSpace", "-32768..32767")

// A `Base` control that keeps a ticket beside itself: the hooks that run TicketHolder's
// steps. The owner's constructor creates the ticket (m_ticket.create()) where its own
// construction wants it, and its rename calls m_ticket.rename().
template <class Base> class TicketBearing : public Base, public TicketOwner {
public:
    void setBounds(int left, int top, int width, int height) override {
        Base::setBounds(left, top, width, height);
        m_ticket.place();
    }
    void setParentControl(QWidget* parent) override {
        m_ticket.reparent(parent, [&] { Base::setParentControl(parent); });
    }
    void loaded() override {
        Base::loaded();
        m_ticket.loaded();
    }

protected:
    TicketBearing(TicketHolder::Reparenting order, tk::Component* owner)
        : Base(owner, nullptr), TicketOwner(*this, order) {}
    ~TicketBearing() override { m_ticket.destroy(); }
    TicketBearing(const TicketBearing&) = delete;
    TicketBearing& operator=(const TicketBearing&) = delete;

    void notification(tk::Component* c, tk::Operation op) override {
        Base::notification(c, op);
        m_ticket.forget(c, op);
    }
    void visibleChanged() override {
        Base::visibleChanged();
        if (TDefineTicket* t = ticket()) t->setVisible(this->visible());
    }
    void enabledChanged() override {
        Base::enabledChanged();
        if (TDefineTicket* t = ticket()) t->setEnabled(this->enabled());
    }
    void changeEvent(QEvent* e) override {
        Base::changeEvent(e);
        if (TDefineTicket* t = ticket(); t && e->type() == QEvent::LayoutDirectionChange)
            t->setLayoutDirection(this->layoutDirection());
    }
};

} // namespace flat
