#pragma once

namespace tk {

// Makes the toolkit's own classes known to the layout reader.
void registerToolkitClasses();

} // namespace tk
