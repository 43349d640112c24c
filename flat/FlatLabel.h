#pragma once

#include "FlatPanel.h"
#include "FlatUtils.h"
#include "Label.h"

#include <QObject>

namespace flat {

class TDefineTicket;

// A control that keeps a ticket beside itself. The ticket calls placeTicket() whenever it
// has re-sized itself to its caption or font; the owner then places it again with its own
// TicketPosition and TicketSpace (PlaceTicket). The label, the edit, the combo box and
// the colour box implement it. An owner creates its ticket in its constructor's body, once
// this base exists.
class TicketOwner {
public:
    virtual void placeTicket() = 0;
    // Null while the owner has none.
    virtual TDefineTicket* ticket() const = 0;

protected:
    TicketOwner() = default;
    ~TicketOwner() = default;
    TicketOwner(const TicketOwner&) = default;
    TicketOwner& operator=(const TicketOwner&) = default;
};

// The small caption label a flat control owns and keeps beside itself, as a sibling in
// the control's parent. It is a sub-component: layouts store its properties under the
// owner's Ticket (Ticket.Width, Ticket.Height, Ticket.Cursor).
class TDefineTicket : public tk::TLabel {
    Q_OBJECT
    // Where it stands follows from its owner's bounds, and it takes no focus.
    Q_CLASSINFO("NotStored", "Left,Top,TabOrder")
public:
    explicit TDefineTicket(tk::Component* owner = nullptr);

protected:
    void adjustBounds() override;
    // The ticket names its owner for assistive technology.
    void textChanged() override;
};

// A flat panel that owns a ticket and keeps its own height at its font's cell height
// plus 6.
class TDefineLabel : public TDefinePanel, public TicketOwner {
    Q_OBJECT
public:
    explicit TDefineLabel(tk::Component* owner = nullptr, QWidget* parent = nullptr);
    ~TDefineLabel() override;

    // Null once the ticket has been destroyed; the label then works without one.
    TDefineTicket* ticket() const override { return m_ticket; }
    QObject* ticketObject() const;

    TTicketPosition ticketPosition() const { return m_ticketPosition; }
    // Without a ticket the value is dropped.
    void setTicketPosition(TTicketPosition p);
    int ticketSpace() const { return m_ticketSpace; }
    // Without a ticket the value is dropped.
    void setTicketSpace(int space);

    void placeTicket() override;

    void setBounds(int left, int top, int width, int height) override;
    // The ticket moves to the new parent first, with the label's Visible.
    void setParentControl(QWidget* parent) override;
    void setName(const QString& name) override;
    void loaded() override;

protected:
    void notification(tk::Component* c, tk::Operation op) override;
    void visibleChanged() override;
    void enabledChanged() override;
    void fontChanged() override;
    void resized() override;
    void changeEvent(QEvent* e) override;

private:
    void fitHeight();

    TDefineTicket* m_ticket = nullptr;
    // The ticket as a component, kept apart because the removal notification arrives
    // while the ticket's own destructors have already run.
    tk::Component* m_ticketComponent = nullptr;
    TTicketPosition m_ticketPosition = poLeft;
    int m_ticketSpace = 3;
};

class TFlatLabel : public TDefineLabel {
    Q_OBJECT
    Q_CLASSINFO("StoredDefault:ParentColor", "True")
    Q_CLASSINFO("StoredDefault:UseDockManager", "False")
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(bool TransBorder READ transBorder WRITE setTransBorder)
    Q_PROPERTY(tk::TAlignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool Locked READ locked WRITE setLocked)
    Q_PROPERTY(bool FullRepaint READ fullRepaint WRITE setFullRepaint)
    Q_PROPERTY(tk::TColor ColorBorder READ colorBorder WRITE setColorBorder)
    Q_PROPERTY(tk::TColor BackgropStartColor READ backgropStartColor WRITE setBackgropStartColor)
    Q_PROPERTY(tk::TColor BackgropStopColor READ backgropStopColor WRITE setBackgropStopColor)
    Q_PROPERTY(flat::TFillDirection BackgropOrien READ backgropOrien WRITE setBackgropOrien)
    Q_PROPERTY(flat::TStyleFace StyleFace READ styleFace WRITE setStyleFace)
    Q_PROPERTY(bool UseDockManager READ useDockManager WRITE setUseDockManager)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(QObject* Ticket READ ticketObject)
    Q_PROPERTY(flat::TTicketPosition TicketPosition READ ticketPosition WRITE setTicketPosition)
    Q_PROPERTY(int TicketSpace READ ticketSpace WRITE setTicketSpace)
public:
    explicit TFlatLabel(tk::Component* owner = nullptr, QWidget* parent = nullptr);
};

} // namespace flat
