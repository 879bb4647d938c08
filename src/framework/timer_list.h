// The scene's event queue. Objects never run script code: they post entries here, and the
// interpreter drains them, starting each handler page at a higher event level.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vobe {

class TStream;
class TVobeObject;
class TVobeBaseList;

// One queued event.
class TTimerData {
public:
    std::string Handler;           // the page to run: the value of the handler property that fired
    TVobeObject* Sender = nullptr; // @Sender while the handler runs; null once the sender is gone
    uint8_t Kind = 0;              // the property id of that handler property
    int32_t State = 0;             // 0 pending; set non-zero by the interpreter when it starts the handler
    std::vector<std::string> Args; // @ParamStr of the handler
};

class TTimerList {
public:
    explicit TTimerList(TVobeBaseList* owner = nullptr) : FOwner(owner) {}

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TTimerData* Items(int32_t i) const;

    // Appends an entry (State 0, Args copied). Callers apply the posting rule themselves: most events
    // are posted only while FindQueued (sender, kind) answers -1.
    TTimerData* Post(TVobeObject* sender, const std::string& handler, const std::vector<std::string>& args,
                     uint8_t kind);
    // The first entry with that sender and kind, whatever its state, or -1.
    int32_t FindQueued(const TVobeObject* sender, uint8_t kind) const;
    // The first entry whose State is 0, or null.
    TTimerData* NextPending() const;
    void RemoveWithState(int32_t state);
    // Every entry whose State is not 0.
    void RemoveStarted();
    // The sender's pending entries (State 0).
    void RemoveForSender(const TVobeObject* sender);
    // A destroyed sender: its pending entries go, and the entries already started keep running
    // without a sender instead of pointing at freed memory.
    void ForgetSender(const TVobeObject* sender);
    void Clear() { FItems.clear(); }

    // int32 count; per entry: Handler, the sender's name ("" when null or no longer in the scene),
    // Kind (u8), State (int32), Args (int32 count and strings).
    void SaveToStream(TStream& s) const;
    // Replaces the entries. Senders are looked up by name among the owner's components; versions up to
    // 113 store the state as one byte (non-zero read as 1).
    void LoadFromStream(TStream& s, int32_t version);

private:
    TVobeBaseList* FOwner;
    std::vector<std::unique_ptr<TTimerData>> FItems;
};

} // namespace vobe
