// vobetool page dump PAGE: a readable listing of a compiled script page.
#include <cstdio>

#include "platform/cp932.h"
#include "platform/paths.h"
#include "script/page.h"
#include "script/page_dump.h"
#include "tools/commands.h"

namespace vobe::tool {

int PageCommand(const Args& args) {
    if (args.size() != 2 || args[0] != "dump") return Fail("usage: vobetool page dump PAGE");
    const std::string path = PlayerPath(args[1]);
    TMemoryStream data;
    data.LoadFromFile(path);
    data.SetPosition(0);
    TPage page;
    // The name the listing shows: the file name itself.
    size_t slash = path.rfind('\\');
    page.SetName(slash == std::string::npos ? path : path.substr(slash + 1));
    page.LoadFromStream(data);
    std::string text = DumpPage(page);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace vobe::tool
