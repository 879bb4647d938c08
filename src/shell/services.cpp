// The player's wiring of the subsystems into the window's steps. Each subsystem adds its entries here
// when it lands; an entry left empty is a step that does nothing yet.
#include "shell/player.h"

namespace vobe {

TGameServices MakePlayerServices() {
    TGameServices s;
    return s;
}

} // namespace vobe
