#include "tools/commands.h"

namespace vobe::tool {

int BuildCommand(const Args&) { return Fail("vobetool build: not available in this build"); }

} // namespace vobe::tool
