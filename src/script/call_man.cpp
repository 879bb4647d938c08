#include "script/call_man.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/file_manager.h"
#include "framework/timer_list.h"
#include "framework/vobe_base_list.h"
#include "platform/cp932.h"
#include "platform/globals.h"
#include "platform/trace.h"
#include "script/command.h"
#include "script/page.h"

namespace vobe {

namespace {

// The scene through the process-wide Bases, looked up at every call: the scene comes and goes with
// the window's start-up and shutdown.
class TBasesCallScene : public ICallScene {
public:
    TTimerList* Events() override { return Bases ? &Bases->Events : nullptr; }
    TVobeObject* FindComponent(const std::string& name) override {
        return Bases && !name.empty() ? Bases->FindComponent(name) : nullptr;
    }
    bool Contains(const TVobeObject* o) override {
        return Bases && Bases->HasObject(o);
    }
    void Reset() override {
        if (Bases) Bases->Reset();
    }
};

[[noreturn]] void RaiseRecordError(const std::string& what) {
    static const std::string text = SJ("セーブデータの実行状態が壊れています: ");
    throw EVobeError(text + what);
}

int32_t ReadCount(TStream& s, int32_t minBytes, const char* what) {
    const int32_t n = ReadInt32(s);
    if (n < 0 || n > s.Remaining() / minBytes) RaiseRecordError(std::string(what) + " " + IntToStr(n));
    return n;
}

void WriteStrings(TStream& s, const std::vector<std::string>& list) {
    WriteInt32(s, static_cast<int32_t>(list.size()));
    for (const std::string& a : list) WriteStr(s, a);
}

std::vector<std::string> ReadStrings(TStream& s) {
    const int32_t n = ReadCount(s, 4, "argument count");
    std::vector<std::string> list;
    list.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) list.push_back(ReadStr(s));
    return list;
}

std::unique_ptr<TCustomParam> NewResult(uint8_t type) {
    if (type < PT_INT || type > PT_STR) return nullptr;
    return CreateParam(type);
}

} // namespace

ICallScene& BasesCallScene() {
    static TBasesCallScene scene;
    return scene;
}

// ---- state versions --------------------------------------------------------------------------------

void WriteStateVersion(TStream& s) {
    s.WriteBuffer("vobe100", 7);
}

int32_t ReadStateVersion(TStream& s) {
    const int64_t start = s.GetPosition();
    char tag[7];
    if (s.Read(tag, 7) == 7 && std::memcmp(tag, "vobe", 4) == 0) {
        int32_t v = 0;
        bool digits = true;
        for (int i = 4; i < 7; ++i) {
            if (tag[i] < '0' || tag[i] > '9')
                digits = false;
            else
                v = v * 10 + (tag[i] - '0');
        }
        if (digits) return v;
    }
    s.SetPosition(start);
    return 0;
}

// ---- handler names ---------------------------------------------------------------------------------

void SplitHandlerName(const std::string& handler, std::string& page, std::string& label) {
    page = handler;
    label.clear();
    // Backwards from the last byte down to the second; a byte after a lead byte is the second half of
    // a double-byte character.
    for (int64_t i = static_cast<int64_t>(handler.size()) - 1; i >= 1; --i) {
        if (IsDBCSLeadByte(static_cast<unsigned char>(handler[static_cast<size_t>(i - 1)]))) {
            --i;
            continue;
        }
        const char c = handler[static_cast<size_t>(i)];
        if (c == '.' || c == '\\') break;
        if (c == ':') {
            page = handler.substr(0, static_cast<size_t>(i));
            label = handler.substr(static_cast<size_t>(i) + 1);
            break;
        }
    }
    // Whatever extension the handler names, the page is the compiled one.
    page = (page.size() >= 3 ? page.substr(0, page.size() - 3) : std::string()) + "vsb";
}

// ---- frames ----------------------------------------------------------------------------------------

void TStack::Clear() {
    PageName.clear();
    PC = 0;
    InProgress = false;
    ResultName.clear();
    Args.clear();
    Sender = nullptr;
    Running = false;
    State.reset();
    Result.reset();
}

void TStackList::SyncDepth() const {
    if (ParamCollection) ParamCollection->CurrentDepth = Count();
}

TStack& TStackList::Push() {
    FItems.push_back(std::make_unique<TStack>());
    SyncDepth();
    return *FItems.back();
}

void TStackList::Pop() {
    if (FItems.empty()) throw EVobeError(SJ("スタックエラー"));
    SpareFrame = std::move(*FItems.back());
    FItems.pop_back();
    SyncDepth();
}

void TStackList::Delete(int32_t i) {
    FItems.erase(FItems.begin() + i);
    SyncDepth();
}

void TStackList::Clear() {
    FItems.clear();
    SyncDepth();
}

// ---- TCallMan --------------------------------------------------------------------------------------

TCallMan::TCallMan(TCallManServices services, ICallScene* scene)
    : FServices(std::move(services)), FScene(scene ? scene : &BasesCallScene()) {
    if (ParamCollection) ParamCollection->Sources.Call = this;
}

TCallMan::~TCallMan() {
    if (ParamCollection && ParamCollection->Sources.Call == this) ParamCollection->Sources.Call = nullptr;
    FPage = nullptr;
    FPages.clear();
}

bool TCallMan::FileAvailable(const std::string& name) {
    if (FServices.FileAvailable) return FServices.FileAvailable(name);
    if (PageServices().LoadFile) return !name.empty();
    return FileManager && !name.empty() && FileManager->Exists(name);
}

TPage* TCallMan::FindOrLoad(const std::string& name) {
    for (size_t i = 0; i < FPages.size(); ++i) {
        if (FPages[i]->GetName() != name) continue;
        if (i > 0)
            std::rotate(FPages.begin(), FPages.begin() + static_cast<std::ptrdiff_t>(i),
                        FPages.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return FPages.front().get();
    }
    auto page = std::make_unique<TPage>();
    page->LoadFromFile(name); // a page that fails to load is not cached
    FPages.insert(FPages.begin(), std::move(page));
    // The least recently used pages go; the current page stays even when it is the oldest.
    while (static_cast<int32_t>(FPages.size()) > PageCacheSize) {
        size_t back = FPages.size() - 1;
        if (FPages[back].get() == FPage) --back;
        // A command of a freed page can never be the one traced last again.
        if (FLastTraced && FLastTraced->GetPage() == FPages[back].get()) FLastTraced = nullptr;
        FPages.erase(FPages.begin() + static_cast<std::ptrdiff_t>(back));
    }
    return FPages.front().get();
}

TPage* TCallMan::LoadPage(const std::string& name) {
    TPage* page = FindOrLoad(name);
    FPC = 0;
    return page;
}

void TCallMan::DeleteDepth(int32_t d) {
    if (ParamCollection) ParamCollection->DeleteDepth(d);
}

void TCallMan::RemoveWithState(int32_t level) {
    if (TTimerList* events = FScene->Events()) events->RemoveWithState(level);
}

void TCallMan::StartPage(const std::string& name) {
    FStartedPage = name;
    TPage* page = FindOrLoad(name);
    FPage = page;
    FPC = 0;
    FInProgress = false;
    FArgs.clear();
    FState = 0;
    FStack.Clear();
    FSender = nullptr;
    for (int32_t level = 1; level <= FEventLevel; ++level) RemoveWithState(level);
    FEventLevel = 2;
}

TCommand* TCallMan::CurrentCommand() const {
    if (!FPage || FPC < 0 || FPC >= FPage->Count()) return nullptr;
    return FPage->Items(FPC);
}

void TCallMan::Trace(const TPage& page, int32_t line, bool event) {
    char clock[16];
    std::snprintf(clock, sizeof clock, "%.8x", static_cast<unsigned>(GameClock));
    std::string text = clock;
    text += event ? " : <Event>" : " : ";
    text += page.GetName();
    text += '(';
    text += IntToStr(line);
    text += ')';
    VobeLogWrite(text);
}

bool TCallMan::ExecuteCommand() {
    TPage* const page = FPage;
    const int32_t pc = FPC;
    if (pc < 0 || pc >= page->Count()) {
        FPage = nullptr; // the page has ended
        return false;
    }
    TCommand* c = page->Items(pc);
    if (c != FLastTraced && VobeLogActive()) {
        FLastTraced = c;
        Trace(*page, c->line, false);
    }
    bool wait = false;
    try {
        if (!FInProgress) {
            if (c->GetSkip()) {
                ++FPC;
                return false;
            }
            c->Prepare(*this);
            FInProgress = true;
        }
        FRunning = c->GetContinue();
        wait = c->IsWaiting();
        c->Execute(*this, FPage, FPC);
    } catch (const std::exception&) {
        // The error is the command's own: execution goes on from where it left the program. A command
        // that fails without moving on is tried again in the next frame instead of spinning in this one.
        if (FPage == page && FPC == pc) FStalled = true;
    }
    // The command is finished once the program has moved, whether or not it failed on the way.
    if (FPage != page || FPC != pc) FInProgress = false;
    return wait;
}

int32_t TCallMan::Step() {
    if (!FPage) {
        // Nothing runs until an event starts a handler; a handler without a page has nothing left.
        FRunning = false;
        return FState != 0 ? 1 : 0;
    }
    int32_t result = ExecuteCommand() ? 2 : 0;
    if (FStalled) {
        FStalled = false;
        FRunning = false;
        result = 2;
    }
    if (FPage) return result;
    if (FStack.Count() == 0) {
        // A handler whose frame is gone has nothing to return to: it is over all the same.
        FRunning = false;
        return FState != 0 ? 1 : result;
    }

    // The page ended: return to the frame below.
    if (ParamCollection) DeleteDepth(ParamCollection->CurrentDepth);
    FStack.Pop();
    TStack& f = FStack.SpareFrame;
    if (!f.ResultName.empty() && f.Result && ParamCollection)
        if (TParamCollectionItem* item = ParamCollection->FindItem(f.ResultName)) {
            try {
                item->GetParam().CopyFrom(*f.Result);
            } catch (const std::exception&) {
                // A result that does not fit the variable leaves it as it was.
            }
        }
    FPC = f.PC;
    FInProgress = f.InProgress;
    FRunning = f.Running;
    FArgs = f.Args;
    FSender = f.Sender;
    // A flow interrupted while no page ran (handlers of a finished script) goes back to no page. A
    // page that cannot be read again raises its error with the context restored and no page running.
    FPage = f.PageName.empty() ? nullptr : FindOrLoad(f.PageName);
    if (f.State) {
        if (TCommand* c = CurrentCommand()) {
            f.State->SetPosition(0);
            try {
                c->LoadState(*f.State);
            } catch (const std::exception&) {
                FInProgress = false; // damaged state: the command starts over
            }
        }
    }
    if (!FSender) return 1;
    return result == 0 ? -1 : result;
}

TStack& TCallMan::PushCurrent() {
    TStack& f = FStack.Push();
    f.PageName = FPage ? FPage->GetName() : std::string();
    f.PC = FPC;
    f.InProgress = FInProgress;
    f.Args = FArgs;
    f.Sender = FSender;
    f.Running = FRunning;
    return f;
}

void TCallMan::PushContext() {
    PushCurrent();
}

bool TCallMan::DeleteStack(int32_t i) {
    if (i < 0 || i >= FStack.Count()) return false;
    DeleteDepth(i);
    FStack.Delete(i);
    if (ParamCollection)
        for (int32_t k = SYS_VAR_COUNT; k < ParamCollection->Count(); ++k) {
            TParamCollectionItem* item = ParamCollection->Item(k);
            if (item->Depth > i) --item->Depth;
        }
    return true;
}

int32_t TCallMan::StartEvent(int32_t level) {
    TCommand* current = CurrentCommand();
    if (FInProgress && current && current->BlocksEvents()) return 0;
    TTimerList* events = FScene->Events();
    if (!events) return 0;
    TTimerData* d = events->NextPending();
    if (!d) return 0;
    std::string pageName, label;
    SplitHandlerName(d->Handler, pageName, label);
    if (!FileAvailable(pageName)) return 0; // stays pending
    TPage* page;
    try {
        page = FindOrLoad(pageName);
    } catch (const std::exception&) {
        // A handler page that cannot be read would fail again every frame: the event is dropped.
        d->State = -1;
        events->RemoveWithState(-1);
        return 0;
    }
    TStack& f = PushCurrent();
    if (FInProgress && current) {
        try {
            current->SaveState(f.State);
        } catch (const std::exception&) {
            f.State.reset();
        }
    }
    FPage = page;
    FPC = 0;
    if (!label.empty()) FPC = std::max(0, page->IndexOfLabel(label));
    if (VobeLogActive()) Trace(*page, page->Count() > 0 ? page->Items(0)->line : 0, true);
    FInProgress = false;
    d->State = level;
    FArgs = d->Args;
    FSender = d->Sender;
    FState = 1;
    return 1;
}

void TCallMan::RunFrame() {
    FRunning = true;
    while ((FRunning || FState != 0) && !Terminating) {
        switch (FState) {
        case 0:
            if (StartEvent(1) != 1) Step();
            break;
        case 1: {
            const int32_t s = Step();
            if (s == 1) {
                RemoveWithState(1);
                FState = 0;
                FRunning = true;
            } else if (s == 2) {
                FEventLevel = 2;
                FState = 2;
                return;
            } else if (FState != 1) {
                FRunning = true;
            }
            break;
        }
        case 2:
            if (StartEvent(FEventLevel) == 0) {
                FState = FEventLevel > 2 ? 3 : 1;
            } else {
                ++FEventLevel;
                FState = 3;
            }
            break;
        case 3: {
            const int32_t s = Step();
            if (s == 1 || s == -1) {
                --FEventLevel;
                RemoveWithState(FEventLevel);
                if (FEventLevel <= 2) FState = 2;
            } else if (s == 2) {
                FState = 2;
                return;
            }
            break;
        }
        default: FState = 0; break;
        }
    }
}

void TCallMan::CallPage(TPage* page, int32_t target, const std::string& resultName,
                        std::vector<std::string> args) {
    TStack& f = PushCurrent();
    f.ResultName = resultName;
    f.InProgress = false;
    f.Result = NewResult(page->ResultType);
    FArgs = std::move(args);
    FPage = page;
    FPC = target;
}

void TCallMan::PCReset(const std::string& pageName, int32_t target, bool all) {
    TTimerList* events = FScene->Events();
    if (all) {
        if (ParamCollection) DeleteDepth(ParamCollection->CurrentDepth);
        for (int32_t i = 0; i < FStack.Count(); ++i) DeleteDepth(i);
        // Commands the main flow left in progress finish what they hold (a transition, for one).
        for (int32_t i = FStack.Count() - 1; i >= 0; --i) {
            TStack& f = FStack.Items(i);
            if (f.Sender || !f.InProgress || f.PageName.empty()) continue;
            try {
                TPage* page = FindOrLoad(f.PageName);
                if (f.PC < 0 || f.PC >= page->Count()) continue;
                TCommand* c = page->Items(f.PC);
                if (f.State) {
                    f.State->SetPosition(0);
                    c->LoadState(*f.State);
                }
                c->Abort();
            } catch (const std::exception&) {
                // A page that cannot be read has nothing left to finish.
            }
        }
        StartPage(pageName);
        FPC = target;
        if (events) events->Clear();
        return;
    }

    if (ParamCollection) DeleteDepth(ParamCollection->CurrentDepth);
    int32_t handler = -1;
    for (int32_t i = 0; i < FStack.Count(); ++i)
        if (FStack.Items(i).Sender) {
            handler = i;
            break;
        }
    if (handler < 0 && FSender) handler = FStack.Count();
    int32_t main = -1;
    for (int32_t i = handler - 1; i >= 0; --i)
        if (!FStack.Items(i).Sender) {
            main = i;
            break;
        }
    if (main >= 0) {
        // The interrupted main flow restarts at the target once the handlers have returned.
        DeleteDepth(main);
        TStack& f = FStack.Items(main);
        f.PageName = pageName;
        f.PC = target;
        f.InProgress = false;
        f.ResultName.clear();
        f.Args.clear();
        f.State.reset();
        f.Result.reset();
        ++FPC;
    } else {
        FPage = LoadPage(pageName);
        FPC = target;
    }
    if (events) events->RemoveStarted();
}

void TCallMan::ResetGame(const std::string& pageName, int32_t target) {
    FScene->Reset();
    if (ParamCollection) ParamCollection->ClearGame();
    if (FServices.ClearTables) FServices.ClearTables();
    if (FServices.ClearHistory) FServices.ClearHistory();
    StartPage(pageName);
    FPC = target;
}

void TCallMan::Terminate() {
    Terminating = true;
    if (FServices.PostClose) FServices.PostClose();
}

// ---- system variables ------------------------------------------------------------------------------

TCustomParam* TCallMan::ResultParam() {
    return FStack.Count() > 0 ? FStack.Top().Result.get() : nullptr;
}

std::string TCallMan::ParamStr(int32_t i) {
    if (i < 0 || i >= static_cast<int32_t>(FArgs.size())) return std::string();
    return FArgs[static_cast<size_t>(i)];
}

std::string TCallMan::SenderName(TVobeObject* o) {
    return FScene->Contains(o) ? o->Name : std::string();
}

std::string TCallMan::Sender() {
    return FState != 0 ? SenderName(FSender) : std::string();
}

// ---- the game save record --------------------------------------------------------------------------

namespace {

void WriteFrame(TStream& s, TStack& f, const std::function<std::string(TVobeObject*)>& senderName) {
    WriteStr(s, f.PageName);
    WriteInt32(s, f.PC);
    WriteBool(s, f.InProgress);
    WriteBool(s, f.Running);
    WriteStr(s, f.ResultName);
    WriteStrings(s, f.Args);
    WriteStr(s, senderName(f.Sender));
    if (f.State) {
        const std::vector<uint8_t>& bytes = f.State->Bytes();
        WriteInt32(s, static_cast<int32_t>(bytes.size()));
        if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    } else {
        WriteInt32(s, 0);
    }
    if (f.Result) {
        WriteByte(s, f.Result->GetParamType());
        f.Result->SaveToStream(s);
    } else {
        WriteByte(s, 0);
    }
}

void ReadFrame(TStream& s, TStack& f, ICallScene& scene) {
    f.Clear();
    f.PageName = ReadStr(s);
    f.PC = ReadInt32(s);
    f.InProgress = ReadBool(s);
    f.Running = ReadBool(s);
    f.ResultName = ReadStr(s);
    f.Args = ReadStrings(s);
    f.Sender = scene.FindComponent(ReadStr(s));
    const int32_t n = ReadCount(s, 1, "command state length");
    if (n > 0) {
        f.State = std::make_unique<TTpMemoryStream>();
        f.State->SetSize(n);
        s.ReadBuffer(f.State->Memory(), n);
        f.State->SetPosition(0);
    }
    const uint8_t type = ReadByte(s);
    if (type != 0) {
        f.Result = NewResult(type);
        if (!f.Result) RaiseRecordError("result type " + IntToStr(type));
        f.Result->LoadFromStream(s);
    }
}

} // namespace

void TCallMan::SaveToStream(TStream& s) {
    auto senderName = [this](TVobeObject* o) { return SenderName(o); };
    WriteStr(s, FPage ? FPage->GetName() : std::string());
    WriteInt32(s, FPC);
    WriteBool(s, FRunning);
    WriteBool(s, FInProgress);
    WriteInt32(s, FState);
    WriteStr(s, SenderName(FSender));
    WriteStrings(s, FArgs);
    WriteFrame(s, FStack.SpareFrame, senderName);
    WriteInt32(s, FStack.Count());
    for (int32_t i = 0; i < FStack.Count(); ++i) WriteFrame(s, FStack.Items(i), senderName);
    WriteInt32(s, FEventLevel);
    if (FInProgress)
        if (TCommand* c = CurrentCommand()) {
            std::unique_ptr<TTpMemoryStream> state;
            c->SaveState(state);
            if (state && state->GetSize() > 0) state->SaveToStream(s);
        }
}

void TCallMan::LoadFromStream(TStream& s, int32_t version) {
    try {
        const std::string pageName = ReadStr(s);
        const int32_t pc = ReadInt32(s);
        const bool running = ReadBool(s);
        const bool inProgress = ReadBool(s);
        const int32_t state = ReadInt32(s);
        if (state < 0 || state > 3) RaiseRecordError("state " + IntToStr(state));
        const std::string sender = ReadStr(s);
        std::vector<std::string> args = ReadStrings(s);
        TStack spare;
        ReadFrame(s, spare, *FScene);
        // A frame takes at least 27 bytes: four empty texts, the counter, two flags, an empty
        // argument list, the state length and the result type.
        const int32_t n = ReadCount(s, 27, "frame count");
        std::vector<std::unique_ptr<TStack>> frames;
        for (int32_t i = 0; i < n; ++i) {
            frames.push_back(std::make_unique<TStack>());
            ReadFrame(s, *frames.back(), *FScene);
        }
        const int32_t level = version >= 116 ? ReadInt32(s) : 2;
        if (level < 2 || level > n + 2) RaiseRecordError("event level " + IntToStr(level));
        TPage* page = pageName.empty() ? nullptr : FindOrLoad(pageName);

        FPage = page;
        FPC = pc;
        FRunning = running;
        FInProgress = inProgress;
        FState = state;
        FSender = FScene->FindComponent(sender);
        FArgs = std::move(args);
        FStack.Clear();
        FStack.SpareFrame = std::move(spare);
        for (auto& f : frames) FStack.Push() = std::move(*f);
        FEventLevel = level;
        FStalled = false;
        if (FInProgress)
            if (TCommand* c = CurrentCommand()) c->LoadState(s);
    } catch (const EStreamError& e) {
        RaiseRecordError(e.Message());
    } catch (const EVobeError&) {
        throw; // names what failed already (a page that cannot be loaded)
    } catch (const std::exception& e) {
        RaiseRecordError(e.what());
    }
}

} // namespace vobe
