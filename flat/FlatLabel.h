#pragma once

#include "FlatPanel.h"
#include "FlatTicket.h"

namespace flat {

// A flat panel that owns a ticket and keeps its own height at its font's cell height
// plus 6.
class TDefineLabel : public TicketBearing<TDefinePanel> {
    Q_OBJECT
public:
    explicit TDefineLabel(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    void setName(const QString& name) override;
    void loaded() override;

protected:
    void fontChanged() override;
    void resized() override;

private:
    void fitHeight();
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
