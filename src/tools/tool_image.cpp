#include "tools/commands.h"

namespace vobe::tool {

int ImageCommand(const Args&) { return Fail("vobetool image: not available in this build"); }

} // namespace vobe::tool
