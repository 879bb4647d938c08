// The named collection: items in insertion order, filed by name in 256 hash buckets so that a lookup
// ignoring case walks one short chain. Base of the archive directory, the variable store, the read
// list and the picture cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vobe {

// The bucket of a name: lower-cased (Shift-JIS aware), (length * 16) mod 256, plus the codes of the
// second-to-last and the first byte when the name is longer than one byte. Allocation-free.
uint8_t HashName(std::string_view name);

class THashCollection;

class THashCollectionItem {
public:
    THashCollectionItem() = default;
    explicit THashCollectionItem(std::string name) : FName(std::move(name)) {}
    virtual ~THashCollectionItem() = default;
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    const std::string& GetName() const { return FName; }
    // Re-files the item under the bucket of its new name when the name changes.
    void SetName(const std::string& name);
    int32_t GetIndex() const { return FIndex; }
    THashCollection* GetCollection() const { return FCollection; }
    // The next (older) item of the same bucket chain.
    THashCollectionItem* NextInBucket() const { return FNext; }
    // -1 while the item is not filed.
    int32_t GetBucket() const { return FBucket; }
    // The next (older) item whose name equals this one's ignoring case; the chain starts at Find(name).
    THashCollectionItem* NextSameName() const { return FSameNext; }

private:
    friend class THashCollection;
    THashCollection* FCollection = nullptr;
    int32_t FIndex = -1;
    std::string FName;
    int32_t FBucket = -1;
    THashCollectionItem* FPrev = nullptr;
    THashCollectionItem* FNext = nullptr;
    // Items whose names are equal ignoring case, newest first (the name index of the collection).
    THashCollectionItem* FSamePrev = nullptr;
    THashCollectionItem* FSameNext = nullptr;
    uint64_t FHash = 0; // FoldedNameHash of the name while the item is filed
};

// A hash of the name ignoring case, by the system's case mapping; allocation-free for ASCII names of
// up to 256 bytes.
uint64_t FoldedNameHash(std::string_view name);

class THashCollection {
public:
    THashCollection() = default;
    virtual ~THashCollection();
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;

    // Appends the item (filed under its name when it already has one) and returns it.
    THashCollectionItem* Add(std::unique_ptr<THashCollectionItem> item);
    // Index of the newest item whose name equals `name` ignoring case, or -1.
    int32_t IndexOf(std::string_view name) const;
    // The same item, or null.
    THashCollectionItem* Find(std::string_view name) const;
    // The same with FoldedNameHash(name) computed beforehand, for names looked up again and again.
    THashCollectionItem* Find(std::string_view name, uint64_t foldedHash) const;
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    // Raises EVobeError for an index out of range.
    THashCollectionItem* Items(int32_t i) const;
    // Frees item i; every later item moves down by one.
    void Delete(int32_t i);
    // Removes item i without freeing it.
    std::unique_ptr<THashCollectionItem> Extract(int32_t i);
    void Clear();
    // The newest item of a bucket chain (follow NextInBucket for the older ones).
    THashCollectionItem* BucketHead(uint8_t bucket) const { return FBuckets[bucket]; }
    void Reserve(int32_t n);

private:
    friend class THashCollectionItem;
    void File(THashCollectionItem* item);
    void Unfile(THashCollectionItem* item);

    std::vector<std::unique_ptr<THashCollectionItem>> FItems;
    THashCollectionItem* FBuckets[256] = {};
    // The hash of 256 buckets keeps the system's chains (their order decides among equal names, and
    // callers walk them), but a few name shapes fill one bucket with thousands of archive entries.
    // Lookups go through this open-addressing index of the newest item of every name instead; it
    // always gives the item the chain walk would give.
    struct TSlot {
        uint64_t Hash;
        THashCollectionItem* Item; // null: empty; Tombstone(): deleted
    };
    // The mark of a deleted slot: a fixed address, compared on every probe.
    static inline THashCollectionItem FTombstone;
    static THashCollectionItem* Tombstone() { return &FTombstone; }
    size_t FindSlot(std::string_view name, uint64_t hash) const; // index, or SIZE_MAX
    void IndexInsert(THashCollectionItem* item);
    void IndexRemove(THashCollectionItem* item);
    void IndexResize(size_t slots);
    std::vector<TSlot> FSlots;
    size_t FSlotsUsed = 0; // live and deleted
    size_t FSlotsLive = 0;
};

} // namespace vobe
