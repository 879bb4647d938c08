// A compiled script page: a flat list of commands with the property-mask table that tells component
// commands which property expressions they carry.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/command.h"

namespace vobe {

using TComList = std::vector<std::unique_ptr<TCommand>>;

// The oldest page version this player reads; older pages must be rebuilt by the authoring tool.
constexpr int32_t OldestPageVersion = 103;

class TPage {
public:
    TPage();
    ~TPage();
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    // Loads the named page through the game's files and parses it. A missing file raises the file
    // layer's error; damaged data raises an error naming the page. A page newer than this player
    // stays empty; one older than 103 asks for a rebuild and ends the program.
    void LoadFromFile(const std::string& name);
    // Parses a page file held in a stream (the name is used for messages only).
    void LoadFromStream(TStream& s);
    // Writes the page in the newest version: the mask table (61 rows of 21 bytes) and every command.
    void SaveToStream(TStream& s);

    int32_t Count() const { return static_cast<int32_t>(FCommands.size()); }
    TCommand* Items(int32_t i) const { return FCommands[static_cast<size_t>(i)].get(); }
    int32_t IndexOf(const TCommand* c) const;
    // Index of the first label with this exact name, or -1.
    int32_t IndexOfLabel(const std::string& name) const;
    // Appends a command (the compiler builds pages this way).
    TCommand* Add(std::unique_ptr<TCommand> c);
    void Clear() { FCommands.clear(); }

    const std::string& GetName() const { return FName; }
    void SetName(const std::string& name) { FName = name; }
    int32_t GetVersion() const { return FVersion; }
    void SetVersion(int32_t v) { FVersion = v; }

    // Property-mask access: bit `id` of row `kind`.
    bool MaskBit(int32_t kind, int32_t id) const;
    void SetMaskBit(int32_t kind, int32_t id, bool on);
    void ClearMask();

    uint8_t ResultType = 0;
    uint8_t PropertyMask[CommandKindCount][PropertyMaskBytes];
    // Rows and row size as the file stated them (the listing shows them; writers use 61 and 21).
    int32_t FMaskRows = CommandKindCount;
    int32_t FMaskRowSize = PropertyMaskBytes;

private:
    void ReadBody(TStream& s);

    TComList FCommands;
    std::string FName;
    int32_t FVersion = PageVersion;
};

// What a page needs from the running player: reading game files, and the end of the program when a
// page is too old. Left empty, pages read through the file manager and the warning is the platform's
// message box (Terminating is set either way).
struct TPageServices {
    // Loads the whole named game file into the stream; raises when it cannot.
    std::function<void(const std::string& name, TMemoryStream& dest)> LoadFile;
    // Shows the rebuild warning (caption, text) and closes the main window.
    std::function<void(const std::string& caption, const std::string& text)> RebuildAndClose;
};
TPageServices& PageServices();

} // namespace vobe
