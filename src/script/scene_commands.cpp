// What the commands that act on the scene do (creation is in component_commands.cpp): property
// access, deletion, cabinets, the screen flip, media stop, property motions, and the message-window and
// history commands.
#include <algorithm>

#include "archive/file_manager.h"
#include "components/vobe_image.h"
#include "components/vobe_images.h"
#include "components/vobe_mes.h"
#include "framework/prop_set.h"
#include "framework/prop_table.h"
#include "framework/scene_wipe.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_cabinet.h"
#include "framework/vobe_factory.h"
#include "framework/vobe_prop_motion.h"
#include "graphics/dibx.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "script/call_man.h"
#include "script/object_commands.h"
#include "script/page.h"
#include "values/param.h"
#include "values/param_collection.h"

namespace vobe {

namespace {

const std::string& BadPropertyMessage() {
    static const std::string m = SJ("プロパティ指定が不正です");
    return m;
}

// The object named by the string value of the expression (FindComponent), or null.
TVobeObject* LookUp(const TExprPtr& e) {
    if (!Bases) return nullptr;
    return Bases->FindComponent(EvalStr(e));
}

// The lines of every list (CR LF or LF between names).
std::vector<std::string> Lines(const std::vector<std::string>& lists) {
    std::vector<std::string> lines;
    for (const std::string& l : lists) {
        size_t start = 0;
        while (start <= l.size()) {
            size_t end = l.find('\n', start);
            if (end == std::string::npos) end = l.size();
            std::string line = l.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(std::move(line));
            start = end + 1;
        }
    }
    return lines;
}

bool InLines(const std::string& name, const std::vector<std::string>& lines) {
    return std::find(lines.begin(), lines.end(), name) != lines.end();
}

std::vector<std::string> EvalList(const std::vector<TExprPtr>& list) {
    std::vector<std::string> out;
    for (const TExprPtr& e : list) out.push_back(EvalStr(e));
    return out;
}

// The children of a control, as they stand now (moving one changes the list).
std::vector<TVobeObject*> ChildrenOf(TVobeControl* c) {
    return c ? c->Children : std::vector<TVobeObject*>();
}

} // namespace

// ---- properties ------------------------------------------------------------------------------------

void TComGetProp::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    TVobeObject* o = LookUp(FObject);
    if (!o) return;
    TCustomParam* id = Evaluate(FPropId);
    if (!id) throw EVobeError(BadPropertyMessage());
    const int32_t prop = id->GetAsInt();
    if (!ParamCollection) return;
    TParamCollectionItem* var = ParamCollection->FindItem(FVarName);
    if (!var) return;
    GetProp(o, prop, var->GetParam());
}

void TComSetProp::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    TVobeObject* o = LookUp(FObject);
    if (!o) return;
    TCustomParam* id = Evaluate(FPropId);
    if (!id) throw EVobeError(BadPropertyMessage());
    const int32_t prop = id->GetAsInt();
    if (TCustomParam* v = Evaluate(FValue)) SetProp(o, prop, *v);
}

void TComObjDel::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (TVobeObject* o = LookUp(FObject)) Bases->MarkDeleted(o);
}

void TComMediaPlay::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (TVobeObject* o = LookUp(FObject)) o->Restart();
}

void TComMenuClose::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (TVobeObject* o = LookUp(FObject)) o->SetPlayState(3);
}

// ---- media stop ------------------------------------------------------------------------------------

void TComMovieStop::Prepare(TCallMan&) {
    FBlock = EvalBool(FBlockEvents, false);
    FWaiting = false;
    FTarget = {};
    const std::string name = EvalStr(FObject);
    if (name.empty() || !Bases) return;
    TVobeObject* target = Bases->FindComponent(name);
    if (!target) return;
    const int32_t t = EvalInt(FTime, 0);
    if (t > 0) {
        const std::string source = target->GetSource();
        const bool cd = source.compare(0, 3, "CD_") == 0;
        const int32_t state = target->GetPlayState();
        // Not kept when the file is missing, or when it is stopped or fading out already.
        if ((cd || (FileManager && FileManager->Exists(source))) && (state == 0 || state == 1)) {
            target->SetDelay(t);
            target->SetPlayState(3);
            FTarget = target;
        }
    } else {
        target->SetPlayState(2);
        Bases->MarkDeleted(target);
    }
    if (TCustomParam* w = Evaluate(FWait)) FWaiting = w->GetAsBool();
}

// The medium this command fades out, while it is still in the scene and not deleted.
TVobeObject* TComMovieStop::FadingTarget() const {
    TVobeObject* o = Bases ? Bases->Get(FTarget) : nullptr;
    return o && !Bases->IsDeleted(o) ? o : nullptr;
}

void TComMovieStop::Execute(TCallMan& man, TPage*&, int32_t& pc) {
    if (FWaiting && FadingTarget()) {
        man.SetRunning(false);
        return;
    }
    FTarget = {};
    ++pc;
}

void TComMovieStop::SaveState(std::unique_ptr<TTpMemoryStream>& state) {
    state = std::make_unique<TTpMemoryStream>();
    WriteStateVersion(*state);
    TVobeObject* target = FadingTarget();
    WriteStr(*state, target ? target->GetName() : std::string());
    WriteBool(*state, FWaiting);
    WriteBool(*state, FBlock);
}

void TComMovieStop::LoadState(TStream& s) {
    const int32_t version = ReadStateVersion(s);
    const std::string name = ReadStr(s);
    FTarget = name.empty() || !Bases ? nullptr : Bases->FindComponent(name);
    FWaiting = ReadBool(s);
    if (version >= 100) FBlock = ReadBool(s);
}

// ---- message window and history --------------------------------------------------------------------

void TComTextIns::Prepare(TCallMan&) {
    FBlock = EvalBool(FBlockEvents, false);
    FTarget = {};
    FWaiting = false;
    if (FText.empty() || !Bases) return;
    const std::string window = EvalStr(FWindow);
    if (window.empty()) return;
    auto* mes = dynamic_cast<TVobeMes*>(Bases->FindControl(window));
    if (!mes) return;
    FTarget = mes;
    // The window fetches the text from this command (page and index) once it types text; until then
    // nothing is inserted and nothing is waited for.
    EvalBool(FTracked, false);
    FWaiting = EvalBool(FWait, false);
}

void TComTextIns::Execute(TCallMan& man, TPage*&, int32_t& pc) {
    // A window deleted meanwhile holds no text any more.
    TVobeControl* window = Bases ? Bases->Get(FTarget) : nullptr;
    if (window && FWaiting && window->GetCount() != 0) {
        man.SetRunning(false);
        return;
    }
    FTarget = {};
    ++pc;
}

void TComTextIns::SaveState(std::unique_ptr<TTpMemoryStream>& state) {
    state = std::make_unique<TTpMemoryStream>();
    WriteStateVersion(*state);
    TVobeControl* window = Bases ? Bases->Get(FTarget) : nullptr;
    WriteStr(*state, window ? window->GetName() : std::string());
    WriteBool(*state, FWaiting);
    WriteBool(*state, FBlock);
}

void TComTextIns::LoadState(TStream& s) {
    const int32_t version = ReadStateVersion(s);
    const std::string name = ReadStr(s);
    FTarget = name.empty() || !Bases ? nullptr : dynamic_cast<TVobeMes*>(Bases->FindControl(name));
    FWaiting = ReadBool(s);
    if (version >= 100) FBlock = ReadBool(s);
}

void TComTextClr::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (!Bases) return;
    if (auto* mes = dynamic_cast<TVobeMes*>(Bases->FindControl(EvalStr(FObject)))) {
        mes->ReadMode = 0;
        mes->SetText(std::string());
    }
}

void TComCallHist::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    // The history view comes with the text history; the expressions are evaluated as they will be.
    if (!Bases || !dynamic_cast<TVobeMes*>(Bases->FindControl(EvalStr(FWindow)))) return;
    if (!Evaluate(FStart)) return;
    EvalInt(FCount, 1);
    EvalBool(FMode, false);
}

void TComClrHist::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc; // the text history comes with the message window
}

void TComClrRead::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc; // the read-text list comes with the message window
}

void TComEntryHist::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    TVobeObject* o = LookUp(FObject);
    if (!o || !ParamCollection) return;
    int32_t* s = ParamCollection->HistorySettings;
    s[0] = o->GetFontHeight();
    s[1] = o->GetFontBorder();
    s[2] = o->GetFontShadow();
    s[3] = o->GetWidth();
    s[4] = o->GetHeight();
    s[5] = o->GetLineSpace();
}

// ---- property motion -------------------------------------------------------------------------------

void TComPropMotion::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (!Bases) return;
    auto* m = static_cast<TVobePropMotion*>(CreateVobeObject(ctPropMotion, Bases));
    if (!m) return;
    const std::string name = EvalStr(FName);
    if (!name.empty()) m->SetName(name);
    const std::string target = EvalStr(FTarget);
    if (!target.empty()) m->TargetName = target;
    TCustomParam* id = Evaluate(FPropId);
    if (!id) {
        Bases->MarkDeleted(m);
        throw EVobeError(BadPropertyMessage());
    }
    m->PropId = static_cast<uint8_t>(id->GetAsInt());
    if (TCustomParam* v = Evaluate(FEndValue)) m->EndValue = v->GetAsFloat();
    if (TCustomParam* v = Evaluate(FTime)) m->Duration = v->GetAsInt();
    if (TCustomParam* v = Evaluate(FMotionKind)) m->Mode = static_cast<uint8_t>(v->GetAsInt());
    if (TCustomParam* v = Evaluate(FPaused)) m->SetPaused(v->GetAsBool());
}

// ---- cabinets --------------------------------------------------------------------------------------

bool TComCabinet::Selected(const std::string& name, const std::vector<std::string>& lines, bool mode) const {
    return InLines(name, lines) != mode;
}

void TComCabinetSave::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (!Bases) return;
    const std::string name = HasProp(PR_NAME) ? EvalStr(FProps[PR_NAME]) : std::string();
    auto* cabinet = name.empty() ? nullptr : dynamic_cast<TVobeCabinet*>(Bases->FindComponent(name));
    if (!cabinet) {
        cabinet = static_cast<TVobeCabinet*>(CreateVobeObject(ctCabinet, Bases));
        if (!name.empty()) cabinet->SetName(name);
        cabinet->SetParent(Bases->Base0);
    }
    const bool mode = EvalBool(FMode, false);
    const std::vector<std::string> lines = Lines(EvalList(FNames));
    std::vector<TVobeObject*> children = ChildrenOf(Bases->BackBase());
    for (size_t i = children.size(); i-- > 0;) {
        auto* c = dynamic_cast<TVobeControl*>(children[i]);
        if (c && !Bases->IsDeleted(c) && Selected(c->GetName(), lines, mode)) c->SetParent(cabinet);
    }
    if (cabinet->Children.empty()) Bases->MarkDeleted(cabinet);
}

void TComCabinetLoad::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (!Bases) return;
    const std::string name = HasProp(PR_NAME) ? EvalStr(FProps[PR_NAME]) : std::string();
    auto* cabinet = dynamic_cast<TVobeCabinet*>(Bases->FindComponent(name));
    if (!cabinet) return;
    const bool mode = EvalBool(FMode, false);
    const std::vector<std::string> lines = Lines(EvalList(FNames));
    std::vector<TVobeObject*> children = ChildrenOf(cabinet);
    for (size_t i = children.size(); i-- > 0;) {
        auto* c = dynamic_cast<TVobeControl*>(children[i]);
        if (c && Selected(c->GetName(), lines, mode)) c->SetParent(Bases->BackBase());
    }
    if (cabinet->Children.empty()) Bases->MarkDeleted(cabinet);
}

// ---- flip ------------------------------------------------------------------------------------------

const std::string TComFlip::SnapshotName("\x01\x01", 2);

void TComFlip::Prepare(TCallMan&) {
    FPhase = 0;
    FStart = 0;
    int32_t kind = EvalInt(FFlipKind, 0) & 0xFF;
    if (kind > 38) kind = 0;
    const int32_t duration = std::max(1, EvalInt(FTime, 1));
    const bool reverse = EvalBool(FReverse, false);
    FBlock = EvalBool(FBlockEvents, false);
    FClearing = EvalBool(FClearBack, false);
    TCustomParam* move = Evaluate(FMoveMode);
    const int32_t moveMode = move ? move->GetAsInt() : 0;
    const std::vector<std::string> lines = Lines(EvalList(FNames));
    if (!Bases) return;
    if (move) {
        TCustomParam* t = Evaluate(FTime);
        if (!t || t->GetAsInt() <= 0) {
            FPhase = 3;
        } else {
            // The picture shown now stays on screen while the children move away under it.
            Bases->Draw();
            TVobeBase* front = Bases->FrontBase();
            auto* snap = static_cast<TVobeImage*>(NewVobeObject<TVobeImage>(Bases));
            snap->SetName(SnapshotName);
            snap->SetParent(front);
            snap->AssignPicture(front->GetSurface(), nullptr);
            if (TCustomDIBX* p = snap->GetImage()) p->TransparentColor = -1;
            snap->SetIgnoreMouse(1);
            std::vector<TVobeObject*> children = ChildrenOf(front);
            for (size_t i = children.size(); i-- > 0;) {
                auto* c = dynamic_cast<TVobeControl*>(children[i]);
                if (!c || c == snap) continue;
                const bool listed = InLines(c->GetName(), lines);
                const bool selected = (moveMode == 0 && !listed) || (moveMode == 1 && listed);
                if (selected) c->SetParent(Bases->BackBase());
            }
        }
    }
    if (FPhase != 3) {
        if (TSceneWipe* w =
                Bases->StartWipe(Bases->Current, static_cast<uint8_t>(kind), reverse, true, 0, duration)) {
            (void)w; // the transitions' parameters come with the transitions
            EvalInt(FParam1, 0);
            EvalInt(FParam2, 0);
            EvalStr(FStrParam);
        }
    }
}

void TComFlip::Execute(TCallMan& man, TPage*&, int32_t& pc) {
    if (FPhase == 0) {
        FPhase = 1;
        man.SetRunning(false);
        return;
    }
    if (FPhase == 1) {
        FStart = GameClock;
        FPhase = 2;
    }
    const int32_t elapsed = GameClock - FStart;
    if (FPhase == 2 && Bases && Bases->Wipe && elapsed < Bases->Wipe->GetDuration()) {
        Bases->Wipe->SetElapsed(elapsed);
        man.SetRunning(false);
        return;
    }
    Finish(false);
    ++pc;
}

void TComFlip::Finish(bool all) {
    if (!Bases) return;
    Bases->StartWipe(1 - Bases->Current, 0, false, true, 0, 0);
    for (TVobeObject* o : std::vector<TVobeObject*>(Bases->Objects))
        if (o->GetName() == SnapshotName && !Bases->IsDeleted(o)) Bases->MarkDeleted(o);
    if (FClearing)
        for (TVobeObject* c : ChildrenOf(Bases->BackBase()))
            if (all || !dynamic_cast<TVobeCabinet*>(c)) Bases->MarkDeleted(c);
}

bool TComFlip::IsWaiting() const {
    TCustomParam* t = Evaluate(FTime);
    return t && t->GetAsInt() > 0;
}

void TComFlip::Abort() {
    Finish(true);
    FPhase = 0;
}

void TComFlip::SaveState(std::unique_ptr<TTpMemoryStream>& state) {
    state = std::make_unique<TTpMemoryStream>();
    WriteStateVersion(*state);
    WriteBool(*state, FBlock);
    WriteBool(*state, FClearing);
}

void TComFlip::LoadState(TStream& s) {
    const int32_t version = ReadStateVersion(s);
    if (version >= 100) {
        FBlock = ReadBool(s);
        FClearing = ReadBool(s);
    }
}

} // namespace vobe
