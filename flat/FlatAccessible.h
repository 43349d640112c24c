#pragma once

// The flat controls' accessible interfaces: push buttons, check boxes, radio buttons,
// groupings, panes, static text, and the edit and combo boxes named by their tickets. The
// page control, the sheets, the tickets and the native widgets inside the edit and the
// combo boxes are the toolkit's (Accessible.h).

namespace flat {

// Installs the flat controls' interface factory. The flat bases' constructors call it, so
// every program and test that has a flat control has it; repeating it costs a list search.
void installFlatAccessibility();

} // namespace flat
