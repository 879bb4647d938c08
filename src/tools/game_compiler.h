// The game compiler behind `vobetool build`: turns a folder of UTF-8 game sources (project.ini, page
// sources *.vss, asset files) into a folder the player plays. The source format is described in
// docs/game-source.md.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "script/page.h"
#include "script/project.h"

namespace vobe {

// A source error; the message (Shift-JIS, like every player message) starts with "FILE:LINE: ".
class ECompileError : public EVobeError {
public:
    using EVobeError::EVobeError;
};

struct TCompiledPage {
    std::string Name; // Shift-JIS page name, as the game refers to it ("main.vsb", "sub\\a.vsb")
    std::string File; // source file, for messages (UTF-8)
    std::unique_ptr<TPage> Page;
};

class TGameCompiler {
public:
    TGameCompiler();
    ~TGameCompiler();

    // The project settings from project.ini text (UTF-8).
    void SetProject(const std::string& file, const std::string& text);
    // Compiles one page source (UTF-8). `name` is the page name in UTF-8 ("main.vsb").
    void AddPage(const std::string& name, const std::string& file, const std::string& text);
    // Resolves jump, call and reset targets across pages and checks the start and exit pages.
    void Link();

    TProjectFile& Project() { return FProject; }
    std::vector<TCompiledPage>& Pages() { return FPages; }
    const TCompiledPage* FindPage(const std::string& sjisName) const;

    // The whole build: every *.vss under srcFolder becomes a page, project.ini the project file, and
    // every other file is copied as it is. Writes vobe.vpb, the pages and the assets into outFolder,
    // plus game.dat holding all of them. Real paths. Raises ECompileError or EVobeError.
    static void Build(const std::string& srcFolder, const std::string& outFolder);

private:
    struct TPending;
    class TPageBuilder;

    TProjectFile FProject;
    std::string FProjectFile;
    bool FHasProject = false;
    std::vector<TCompiledPage> FPages;
    std::vector<TPending> FPending;
};

// The page name a target text names: ".vsb" is added when the name has no extension; '/' becomes '\'.
std::string PageNameOf(const std::string& utf8);

} // namespace vobe
