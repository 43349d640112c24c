#pragma once

namespace flat {

// Makes every published flat control class creatable by the layout reader. Safe to call
// more than once.
void registerFlatClasses();

} // namespace flat
