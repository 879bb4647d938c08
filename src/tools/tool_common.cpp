#include <cstdio>

#include "platform/cp932.h"
#include "tools/commands.h"

namespace vobe::tool {

int Fail(const std::string& sjisMessage) {
    std::string line = SjisToUtf8(sjisMessage);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "vobetool: %s\n", line.c_str());
    return 1;
}

} // namespace vobe::tool
