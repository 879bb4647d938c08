#include "tools/commands.h"

namespace vobe::tool {

int ArchiveCommand(const Args&) { return Fail("vobetool archive: not available in this build"); }

} // namespace vobe::tool
