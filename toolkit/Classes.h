#pragma once

namespace tk {

// Makes the toolkit's own classes (TForm, TLabel) known to the layout reader.
void registerToolkitClasses();

} // namespace tk
