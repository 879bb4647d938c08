#include "framework/timer_list.h"

#include <algorithm>

#include "archive/stream.h"
#include "framework/vobe_base_list.h"

namespace vobe {

TTimerData* TTimerList::Items(int32_t i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return FItems[static_cast<size_t>(i)].get();
}

TTimerData* TTimerList::Post(TVobeObject* sender, const std::string& handler,
                             const std::vector<std::string>& args, uint8_t kind) {
    auto d = std::make_unique<TTimerData>();
    d->Handler = handler;
    d->Sender = sender;
    d->Kind = kind;
    d->Args = args;
    FItems.push_back(std::move(d));
    return FItems.back().get();
}

int32_t TTimerList::FindQueued(const TVobeObject* sender, uint8_t kind) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Sender == sender && FItems[i]->Kind == kind) return static_cast<int32_t>(i);
    return -1;
}

TTimerData* TTimerList::NextPending() const {
    for (const auto& d : FItems)
        if (d->State == 0) return d.get();
    return nullptr;
}

void TTimerList::RemoveWithState(int32_t state) {
    std::erase_if(FItems, [state](const std::unique_ptr<TTimerData>& d) { return d->State == state; });
}

void TTimerList::RemoveStarted() {
    std::erase_if(FItems, [](const std::unique_ptr<TTimerData>& d) { return d->State != 0; });
}

void TTimerList::RemoveForSender(const TVobeObject* sender) {
    std::erase_if(FItems, [sender](const std::unique_ptr<TTimerData>& d) {
        return d->Sender == sender && d->State == 0;
    });
}

void TTimerList::ForgetSender(const TVobeObject* sender) {
    RemoveForSender(sender);
    for (auto& d : FItems)
        if (d->Sender == sender) d->Sender = nullptr;
}

void TTimerList::SaveToStream(TStream& s) const {
    WriteInt32(s, Count());
    for (const auto& d : FItems) {
        WriteStr(s, d->Handler);
        std::string sender;
        if (FOwner && FOwner->HasObject(d->Sender)) sender = d->Sender->Name;
        WriteStr(s, sender);
        WriteByte(s, d->Kind);
        WriteInt32(s, d->State);
        WriteInt32(s, static_cast<int32_t>(d->Args.size()));
        for (const std::string& a : d->Args) WriteStr(s, a);
    }
}

void TTimerList::LoadFromStream(TStream& s, int32_t version) {
    FItems.clear();
    // An entry takes at least two empty strings, the kind, a one-byte state and an empty argument list.
    const int32_t n = ReadRecordCount(s, 14, "event count");
    for (int32_t i = 0; i < n; ++i) {
        auto d = std::make_unique<TTimerData>();
        d->Handler = ReadStr(s);
        const std::string sender = ReadStr(s);
        // An empty name was written for a sender that no longer existed: it stays without one.
        if (!sender.empty() && FOwner) d->Sender = FOwner->FindComponent(sender);
        d->Kind = ReadByte(s);
        if (version <= 113)
            d->State = ReadByte(s) != 0 ? 1 : 0;
        else
            d->State = ReadInt32(s);
        const int32_t argc = ReadRecordCount(s, 4, "event argument count");
        d->Args.reserve(static_cast<size_t>(argc));
        for (int32_t k = 0; k < argc; ++k) d->Args.push_back(ReadStr(s));
        FItems.push_back(std::move(d));
    }
}

} // namespace vobe
