#include "tools/commands.h"

namespace vobe::tool {

int PageCommand(const Args&) { return Fail("vobetool page: not available in this build"); }

} // namespace vobe::tool
