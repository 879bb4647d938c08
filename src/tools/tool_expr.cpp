#include "tools/commands.h"

namespace vobe::tool {

int ExprCommand(const Args&) { return Fail("vobetool expr: not available in this build"); }

} // namespace vobe::tool
