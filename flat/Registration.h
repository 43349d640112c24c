#pragma once

namespace flat {

// Makes every published flat control class creatable by the layout reader, with the
// toolkit's classes a flat layout stands on (the form, its label, page and combo box
// classes). Safe to call more than once.
void registerFlatClasses();

} // namespace flat
