#include "Classes.h"

#include "Form.h"
#include "Label.h"
#include "Layout.h"

namespace tk {

void registerToolkitClasses() {
    registerLayoutClass<TForm>();
    registerLayoutClass<TLabel>();
}

} // namespace tk
