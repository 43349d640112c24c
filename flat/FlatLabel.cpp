#include "FlatLabel.h"

namespace flat {

namespace {

constexpr int NewLabelWidth = 121;
constexpr int NewLabelHeight = 20;
constexpr int HeightOverCell = 6; // the label is its font's cell height plus this

} // namespace

TDefineLabel::TDefineLabel(tk::Component* owner, QWidget* parent)
    : TicketBearing(TicketHolder::Reparenting::TicketFirst, owner) {
    setBounds(0, 0, NewLabelWidth, NewLabelHeight);
    m_ticket.create();
    if (parent) setParentControl(parent);
}

void TDefineLabel::setName(const QString& name) {
    if (m_ticket.rename(name, [&] { TicketBearing::setName(name); })) setCaption(QString());
}

void TDefineLabel::loaded() {
    TicketBearing::loaded();
    fitHeight();
}

void TDefineLabel::fontChanged() {
    TicketBearing::fontChanged();
    if (!(isDesigning() && isLoading())) fitHeight();
}

void TDefineLabel::resized() {
    TicketBearing::resized();
    fitHeight();
}

void TDefineLabel::fitHeight() {
    const int h = controlFont().metrics().height + HeightOverCell;
    if (height() != h) setHeight(h);
}

} // namespace flat
