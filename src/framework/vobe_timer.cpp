#include "framework/vobe_timer.h"

#include "archive/stream.h"
#include "framework/vobe_base_list.h"
#include "platform/globals.h"

namespace vobe {

TVobeTimer::TVobeTimer(TVobeBaseList* owner) : TVobeComponent(owner), LastTime(GameClock) {}

void TVobeTimer::Restart() {
    if (Owner) Owner->Events.RemoveForSender(this);
    LastTime = GameClock;
}

void TVobeTimer::SetDelay(int32_t v) {
    Delay = v;
    Restart();
}

void TVobeTimer::SetOnNotify(const std::string& v) {
    NotifyHandler = v;
    Restart();
}

void TVobeTimer::SetPaused(bool v) {
    if (v == Paused) return;
    Paused = v;
    Restart();
}

bool TVobeTimer::Update() {
    const bool queued = IsQueued(PR_ONNOTIFY);
    if (Fired && AutoScrap) return !queued;
    if (Delay < 0 || Paused) return false;
    // Periods count from LastTime, so a late frame is caught up by the following ones.
    if (Delay != 0 && static_cast<int64_t>(GameClock) - LastTime < Delay) return false;
    LastTime += Delay;
    if (!queued && Owner) {
        // Posted even without a handler: the entry marks the period as notified.
        Owner->Events.Post(this, NotifyHandler, {}, PR_ONNOTIFY);
        Fired = true;
    }
    return false;
}

void TVobeTimer::SaveToStream(TStream& s) {
    TVobeObject::SaveToStream(s);
    WriteStr(s, NotifyHandler);
    WriteInt32(s, Delay);
    WriteBool(s, Paused);
    WriteBool(s, AutoScrap);
    WriteBool(s, Fired);
}

void TVobeTimer::LoadFromStream(TStream& s, int32_t version) {
    TVobeObject::LoadFromStream(s, version);
    NotifyHandler = ReadStr(s);
    Delay = ReadInt32(s);
    Paused = ReadBool(s);
    if (version > 103) {
        AutoScrap = ReadBool(s);
        Fired = ReadBool(s);
    }
    LastTime = GameClock;
}

} // namespace vobe
