// vobetool: archive, expression, page, image and game-build commands.
#include <cstdio>
#include <exception>

#include "platform/cp932.h"
#include "platform/error.h"
#include "tools/commands.h"

namespace {

int Usage() {
    std::fputs("usage: vobetool archive list|cat|extract|pack ...\n"
               "       vobetool expr ops TEXT | expr eval [--var TYPE:NAME=VALUE]... TEXT...\n"
               "       vobetool page dump PAGE | page dump ARCHIVE NAME\n"
               "       vobetool image info|topng|frompng ...\n"
               "       vobetool build SRC OUT\n",
               stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace vobe::tool;
    if (argc < 2) return Usage();
    std::string group = argv[1];
    Args args(argv + 2, argv + argc);
    try {
        if (group == "archive") return ArchiveCommand(args);
        if (group == "expr") return ExprCommand(args);
        if (group == "page") return PageCommand(args);
        if (group == "image") return ImageCommand(args);
        if (group == "build") return BuildCommand(args);
    } catch (const vobe::EVobeError& e) {
        return Fail(e.Message());
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return Usage();
}
