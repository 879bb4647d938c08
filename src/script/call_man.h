// The interpreter: one program counter in one current page, the call stack of callers and interrupted
// contexts, the page cache, and the scheduler that starts event handlers while the main flow waits,
// each handler at a higher event level.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "values/param_collection.h"

namespace vobe {

class TPage;
class TCommand;
class TVobeObject;
class TTimerList;
class TCustomParam;

// One frame of the call stack: the context of a caller, or of a flow an event interrupted.
class TStack {
public:
    std::string PageName;
    int32_t PC = 0;
    bool InProgress = false;
    std::string ResultName; // the caller's variable that receives the result; empty for none
    std::vector<std::string> Args;
    TVobeObject* Sender = nullptr;
    bool Running = false;
    std::unique_ptr<TTpMemoryStream> State; // saved state of the command that was in progress
    std::unique_ptr<TCustomParam> Result;   // the called page's result value

    void Clear();
};

// The frames, bottom first. Every push and pop keeps the variable store's CurrentDepth equal to the
// number of frames; a popped frame moves into SpareFrame.
class TStackList {
public:
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TStack& Items(int32_t i) { return *FItems[static_cast<size_t>(i)]; }
    TStack& Top() { return *FItems.back(); }
    // Appends an empty frame and returns it.
    TStack& Push();
    // Moves the top frame into SpareFrame; "スタックエラー" when there is none.
    void Pop();
    // Removes frame i (0 <= i < Count).
    void Delete(int32_t i);
    void Clear();

    TStack SpareFrame;

private:
    void SyncDepth() const;
    std::vector<std::unique_ptr<TStack>> FItems;
};

// What the interpreter reaches in the scene: the event queue, components by name (senders of saved
// handlers), whether a sender is still there, and the scene's reset. The scene owns all of it; the
// default answers through the process-wide Bases.
class ICallScene {
public:
    virtual ~ICallScene() = default;
    // The event queue, or null while there is no scene.
    virtual TTimerList* Events() = 0;
    virtual TVobeObject* FindComponent(const std::string& name) = 0;
    // The object is still part of the scene (compared by address only: it may be gone).
    virtual bool Contains(const TVobeObject* o) = 0;
    // Frees every component and recreates the bases (the reset command).
    virtual void Reset() = 0;
};
ICallScene& BasesCallScene();

// What the interpreter needs from the rest of the player. Empty entries: every page file is taken as
// available when the file manager has it, and the others do nothing.
struct TCallManServices {
    // The page may be loaded (the project's FileAvailable: it may ask for another disk).
    std::function<bool(const std::string& name)> FileAvailable;
    // The terminate command's close request to the main window.
    std::function<void()> PostClose;
    // The reset command: the data tables and the text history (its maximum count becomes unlimited).
    std::function<void()> ClearTables;
    std::function<void()> ClearHistory;
};

class TCallMan : public ISysCallValues {
public:
    static constexpr int32_t PageCacheSize = 10;

    // scene: null for BasesCallScene(). Registers itself as the store's source of @Result, @ParamStr,
    // @Sender and @StackCount.
    explicit TCallMan(TCallManServices services = {}, ICallScene* scene = nullptr);
    ~TCallMan() override;
    TCallMan(const TCallMan&) = delete;
    TCallMan& operator=(const TCallMan&) = delete;

    // Starts the program afresh on the page: no stack, no arguments, no handler running. The page's
    // loading error is raised.
    virtual void StartPage(const std::string& name);
    // One frame of execution.
    virtual void RunFrame();

    // The page from the cache (moved to the front) or loaded into it, the program counter at 0.
    TPage* LoadPage(const std::string& name);
    // The same without touching the program counter.
    TPage* FindOrLoad(const std::string& name);
    // One command, and the return from a page that ended: 0, 2 when the command waits, 1 when the
    // ended page returned into the main flow, -1 when it returned into a handler.
    int32_t Step();
    // Starts the next pending event as a handler at the level: 1 when it started, else 0.
    int32_t StartEvent(int32_t level);

    // The game save record; version is the save's version.
    void SaveToStream(TStream& s);
    void LoadFromStream(TStream& s, int32_t version);
    // Pushes the current context as a frame without command state (a loaded game's resume page).
    void PushContext();
    // The DeleteStack function: frees the variables of depth i, removes frame i and moves the
    // variables of the deeper calls one depth down. False (nothing done) when there is no frame i.
    bool DeleteStack(int32_t i);

    // ---- for the commands ----
    bool FileAvailable(const std::string& name);
    void SetRunning(bool v) { FRunning = v; }
    // The call command: pushes the caller's context (pc already past the call), then enters the page.
    void CallPage(TPage* page, int32_t target, const std::string& resultName, std::vector<std::string> args);
    // The pc reset commands and the reset command.
    void PCReset(const std::string& page, int32_t target, bool all);
    void ResetGame(const std::string& page, int32_t target);
    void Terminate();

    // ---- state ----
    TPage* GetPage() const { return FPage; }
    int32_t GetPC() const { return FPC; }
    bool GetRunning() const { return FRunning; }
    bool GetInProgress() const { return FInProgress; }
    int32_t GetState() const { return FState; }
    int32_t GetEventLevel() const { return FEventLevel; }
    TVobeObject* GetSender() const { return FSender; }
    const std::vector<std::string>& GetArgs() const { return FArgs; }
    TStackList& Stack() { return FStack; }
    // The page cache, most recently used first.
    int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
    TPage* Pages(int32_t i) const { return FPages[static_cast<size_t>(i)].get(); }
    // The name of the page StartPage was last given.
    const std::string& StartedPage() const { return FStartedPage; }
    ICallScene& Scene() { return *FScene; }

    // ISysCallValues
    TCustomParam* ResultParam() override;
    int32_t ParamCount() override { return static_cast<int32_t>(FArgs.size()); }
    std::string ParamStr(int32_t i) override;
    std::string Sender() override;
    int32_t StackCount() override { return FStack.Count(); }

private:
    // Executes the command at pc; true when it reported waiting.
    bool ExecuteCommand();
    TCommand* CurrentCommand() const;
    // Fills a new top frame with the current context.
    TStack& PushCurrent();
    void Trace(const TPage& page, int32_t line, bool event);
    void RemoveWithState(int32_t level);
    std::string SenderName(TVobeObject* o);
    void DeleteDepth(int32_t d);

    TCallManServices FServices;
    ICallScene* FScene;
    std::vector<std::unique_ptr<TPage>> FPages;
    TPage* FPage = nullptr;
    int32_t FPC = 0;
    bool FRunning = false;
    bool FInProgress = false;
    bool FStalled = false; // the last command failed without moving on
    TStackList FStack;
    std::vector<std::string> FArgs;
    int32_t FState = 0;
    TVobeObject* FSender = nullptr;
    int32_t FEventLevel = 2;
    const TCommand* FLastTraced = nullptr;
    std::string FStartedPage;
};

// The handler value of an event split into its page ("menu.vsb") and label ("" for none).
void SplitHandlerName(const std::string& handler, std::string& page, std::string& label);

// "vobe100" opens a command's saved state. The probe reads seven bytes: "vobe" and three digits give
// the version; anything else moves back and gives 0.
void WriteStateVersion(TStream& s);
int32_t ReadStateVersion(TStream& s);

} // namespace vobe
