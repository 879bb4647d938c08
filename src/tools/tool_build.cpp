// vobetool build SRC OUT: compiles a game source folder into a folder the player plays.
#include "tools/commands.h"
#include "tools/game_compiler.h"

namespace vobe::tool {

int BuildCommand(const Args& args) {
    if (args.size() != 2) return Fail("usage: vobetool build SRC OUT");
    TGameCompiler::Build(args[0], args[1]);
    return 0;
}

} // namespace vobe::tool
