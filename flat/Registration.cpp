#include "Registration.h"

#include "FlatCtrls.h"
#include "Layout.h"

namespace flat {

void registerFlatClasses() {
    tk::registerLayoutClass<TFlatPanel>();
    tk::registerLayoutClass<TFlatLabel>();
}

} // namespace flat
