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
    Q_CLASSINFO("Publishes", "PopupMenu,OnClick,OnDblClick,OnDragDrop,OnDragOver,"
                             "OnEndDrag,OnEnter,OnExit,OnMouseDown,OnMouseMove,OnMouseUp,"
                             "OnResize,OnStartDrag")
    FLAT_PANEL_PROPERTIES
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    FLAT_TICKET_PROPERTIES
public:
    using TDefineLabel::TDefineLabel;
};

} // namespace flat
