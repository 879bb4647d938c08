#include "archive/hash_collection.h"

#include <cstdint>
#include <functional>

#include "archive/containers.h"
#include "platform/cp932.h"

namespace vobe {

namespace {

// Lower-case form of the byte at `pos`, taking the double-byte letters the case mapping knows into
// account. Lead bytes never change under that mapping; only the trail byte of a letter may.
uint8_t LowerByteAt(std::string_view s, size_t pos) {
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsDBCSLeadByte(c) && i + 1 < n) {
            if (pos == i) return c;
            if (pos == i + 1) {
                // Only here does the trail byte depend on the letter: take the mapping's own answer.
                char pair[2] = {s[i], s[i + 1]};
                std::string lower = AnsiLowerCase(std::string_view(pair, 2));
                return static_cast<unsigned char>(lower[1]);
            }
            i += 2;
            continue;
        }
        if (pos == i) return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c | 0x20) : c;
        ++i;
    }
    return 0;
}

bool IsAsciiText(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

uint8_t LowerAscii(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<uint8_t>(u | 0x20) : u;
}

} // namespace

uint8_t HashName(std::string_view name) {
    const size_t len = name.size();
    uint32_t h = static_cast<uint32_t>(len * 16) & 0xFF;
    if (len > 1) {
        if (IsAsciiText(name)) {
            h += LowerAscii(name[len - 2]) + LowerAscii(name[0]);
        } else {
            h += LowerByteAt(name, len - 2) + LowerByteAt(name, 0);
        }
    }
    return static_cast<uint8_t>(h);
}

namespace {

// FNV-1a over the folded bytes, then the final mix of MurmurHash3 so that the low bits the index uses
// depend on every byte.
uint64_t FoldedFnv(std::string_view s, bool ascii) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : s) {
        h ^= ascii ? LowerAscii(c) : static_cast<uint8_t>(c);
        h *= 0x100000001b3ull;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h;
}

} // namespace

uint64_t FoldedNameHash(std::string_view s) {
    // Every name of an expression is hashed on each evaluation: ASCII names fold as they are hashed.
    if (IsAsciiText(s)) return FoldedFnv(s, true);
    return FoldedFnv(AnsiLowerCase(s), false);
}

// ---- THashCollectionItem ----------------------------------------------------------------------------

void THashCollectionItem::SetName(const std::string& name) {
    if (name == FName) return;
    if (FCollection && FBucket >= 0) FCollection->Unfile(this);
    FName = name;
    if (FCollection) FCollection->File(this);
}

// ---- THashCollection --------------------------------------------------------------------------------

THashCollection::~THashCollection() = default;

void THashCollection::File(THashCollectionItem* item) {
    uint8_t b = HashName(item->FName);
    item->FBucket = b;
    item->FPrev = nullptr;
    item->FNext = FBuckets[b];
    if (item->FNext) item->FNext->FPrev = item;
    FBuckets[b] = item;

    IndexInsert(item);
}

void THashCollection::Unfile(THashCollectionItem* item) {
    if (item->FBucket < 0) return;
    if (item->FPrev)
        item->FPrev->FNext = item->FNext;
    else
        FBuckets[item->FBucket] = item->FNext;
    if (item->FNext) item->FNext->FPrev = item->FPrev;
    item->FPrev = item->FNext = nullptr;
    item->FBucket = -1;

    IndexRemove(item);
}

// ---- name index -------------------------------------------------------------------------------------

size_t THashCollection::FindSlot(std::string_view name, uint64_t hash) const {
    if (FSlots.empty()) return SIZE_MAX;
    const size_t mask = FSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const TSlot& s = FSlots[i];
        if (!s.Item) return SIZE_MAX;
        if (s.Item != Tombstone() && s.Hash == hash && AnsiSameText(s.Item->FName, name)) return i;
    }
}

void THashCollection::IndexResize(size_t slots) {
    std::vector<TSlot> old = std::move(FSlots);
    FSlots.assign(slots, TSlot{0, nullptr});
    FSlotsUsed = FSlotsLive = 0;
    const size_t mask = slots - 1;
    for (const TSlot& s : old) {
        if (!s.Item || s.Item == Tombstone()) continue;
        size_t i = s.Hash & mask;
        while (FSlots[i].Item) i = (i + 1) & mask;
        FSlots[i] = s;
        ++FSlotsUsed;
        ++FSlotsLive;
    }
}

void THashCollection::IndexInsert(THashCollectionItem* item) {
    const uint64_t h = FoldedNameHash(item->FName);
    item->FHash = h;
    item->FSamePrev = item->FSameNext = nullptr;
    size_t at = FindSlot(item->FName, h);
    if (at != SIZE_MAX) {
        // The newest of its name heads the list of equal names.
        THashCollectionItem* head = FSlots[at].Item;
        item->FSameNext = head;
        head->FSamePrev = item;
        FSlots[at].Item = item;
        return;
    }
    // Keep at most half of the slots used (deleted ones count until the next resize): every name of an
    // expression is looked up on each evaluation, and linear probes stay short only in a sparse table.
    if ((FSlotsUsed + 1) * 2 > FSlots.size()) {
        size_t slots = 16;
        while ((FSlotsLive + 1) * 4 > slots) slots *= 2;
        IndexResize(slots);
    }
    const size_t mask = FSlots.size() - 1;
    size_t i = h & mask;
    while (FSlots[i].Item && FSlots[i].Item != Tombstone()) i = (i + 1) & mask;
    if (!FSlots[i].Item) ++FSlotsUsed;
    FSlots[i] = TSlot{h, item};
    ++FSlotsLive;
}

void THashCollection::IndexRemove(THashCollectionItem* item) {
    if (item->FSamePrev) {
        item->FSamePrev->FSameNext = item->FSameNext;
        if (item->FSameNext) item->FSameNext->FSamePrev = item->FSamePrev;
    } else {
        size_t at = FindSlot(item->FName, item->FHash);
        if (at != SIZE_MAX && FSlots[at].Item == item) {
            if (item->FSameNext) {
                item->FSameNext->FSamePrev = nullptr;
                FSlots[at].Item = item->FSameNext;
            } else {
                FSlots[at].Item = Tombstone();
                --FSlotsLive;
                // Deleted slots that no probe passes beyond become empty again, so that names which
                // come and go (the evaluator's temporaries) never lengthen the probes of the others.
                const size_t mask = FSlots.size() - 1;
                if (!FSlots[(at + 1) & mask].Item)
                    for (size_t i = at; FSlots[i].Item == Tombstone(); i = (i - 1) & mask) {
                        FSlots[i].Item = nullptr;
                        --FSlotsUsed;
                    }
            }
        }
    }
    item->FSamePrev = item->FSameNext = nullptr;
}

void THashCollection::Reserve(int32_t n) {
    if (n <= 0) return;
    FItems.reserve(static_cast<size_t>(n));
    size_t slots = 16;
    while (static_cast<size_t>(n) * 4 > slots) slots *= 2;
    if (slots > FSlots.size()) IndexResize(slots);
}

THashCollectionItem* THashCollection::Add(std::unique_ptr<THashCollectionItem> item) {
    THashCollectionItem* p = item.get();
    if (!p) return nullptr;
    p->FCollection = this;
    p->FIndex = Count();
    p->FBucket = -1;
    FItems.push_back(std::move(item));
    // An unnamed item is filed when it first gets a name.
    if (!p->FName.empty()) File(p);
    return p;
}

THashCollectionItem* THashCollection::Find(std::string_view name) const {
    return Find(name, FoldedNameHash(name));
}

THashCollectionItem* THashCollection::Find(std::string_view name, uint64_t foldedHash) const {
    size_t at = FindSlot(name, foldedHash);
    return at == SIZE_MAX ? nullptr : FSlots[at].Item;
}

int32_t THashCollection::IndexOf(std::string_view name) const {
    THashCollectionItem* p = Find(name);
    return p ? p->FIndex : -1;
}

THashCollectionItem* THashCollection::Items(int32_t i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    return FItems[static_cast<size_t>(i)].get();
}

std::unique_ptr<THashCollectionItem> THashCollection::Extract(int32_t i) {
    THashCollectionItem* p = Items(i);
    Unfile(p);
    std::unique_ptr<THashCollectionItem> owned = std::move(FItems[static_cast<size_t>(i)]);
    FItems.erase(FItems.begin() + i);
    for (size_t k = static_cast<size_t>(i); k < FItems.size(); ++k)
        FItems[k]->FIndex = static_cast<int32_t>(k);
    p->FCollection = nullptr;
    p->FIndex = -1;
    return owned;
}

void THashCollection::Delete(int32_t i) {
    Extract(i).reset();
}

void THashCollection::Clear() {
    for (auto*& b : FBuckets) b = nullptr;
    FSlots.clear();
    FSlotsUsed = FSlotsLive = 0;
    // Free from the end so that items being destroyed never see a half-renumbered list.
    while (!FItems.empty()) {
        FItems.back()->FCollection = nullptr;
        FItems.pop_back();
    }
}

} // namespace vobe
