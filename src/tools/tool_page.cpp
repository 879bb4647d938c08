// vobetool page dump PAGE | page dump ARCHIVE NAME: a readable listing of a compiled script page, from
// a page file or from an entry of a game archive.
#include <cstdio>

#include "archive/vf_archive.h"
#include "platform/cp932.h"
#include "platform/paths.h"
#include "script/page.h"
#include "script/page_dump.h"
#include "tools/commands.h"

namespace vobe::tool {

int PageCommand(const Args& args) {
    if ((args.size() != 2 && args.size() != 3) || args[0] != "dump")
        return Fail("usage: vobetool page dump PAGE | page dump ARCHIVE NAME");
    const std::string path = PlayerPath(args[1]);
    TMemoryStream data;
    TPage page;
    if (args.size() == 3) {
        // The entry is looked up as the player looks it up.
        const std::string name = PlayerPath(args[2]);
        TVrFileCollection archive;
        archive.LoadFromFile(path);
        archive.ReadEntry(data, name);
        page.SetName(name);
    } else {
        data.LoadFromFile(path);
        page.SetName(ExtractFileName(path));
    }
    data.SetPosition(0);
    page.LoadFromStream(data);
    std::string text = DumpPage(page);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

} // namespace vobe::tool
