// The VF archive: a directory of scrambled names and offsets followed by the entries' data, each
// entry zlib-compressed or stored as is. Games are packed into it, and the save file is one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "archive/big_stream.h"
#include "archive/hash_collection.h"
#include "archive/stream.h"

namespace vobe {

// The key of the name and offset scrambling.
constexpr uint32_t VfScrambleKey = 3182546028u;
// The version the writer writes.
constexpr int32_t VfCurrentVersion = 102;
// Entries larger than this are stored as they are.
constexpr int64_t VfMaxCompressSize = 0x4FFFFF;
// The name of the sentinel entry that carries the end offset.
extern const char* const VfEofName;

// The standard reflected CRC-32 (polynomial 0xEDB88320), as the archive checksums use it.
uint32_t VfCrc32(const void* data, size_t size, uint32_t crc = 0);

// Inflates a whole zlib stream into `dest` (replacing its content, position 0). Raises EVobeError
// naming `what` when the stream is corrupt or cut short.
void VfInflate(const uint8_t* data, size_t size, TMemoryStream& dest, const std::string& what);
// Deflates at the fastest level into `dest` (replacing its content).
void VfDeflate(const uint8_t* data, size_t size, TMemoryStream& dest);

// Whether the writer compresses the file at this player path: layered images only when they store
// their pixels uncompressed, media and nested archives never, anything else when below 5 MiB.
bool ShouldCompress(const std::string& fileName);

// One entry.
class TVrFile : public THashCollectionItem {
public:
    using THashCollectionItem::THashCollectionItem;
    int64_t Offset = 0; // absolute in the archive stream once read
    int64_t Size = 0;   // stored bytes
    uint8_t Stored = 0; // 1: data as is; 0: zlib-compressed
    int32_t Time = 0;   // DOS date and time of the source file
    uint32_t Checksum = 0;
    uint8_t PlainChecksum = 0; // 1: the checksum covers the uncompressed data
    // Set for entries made in memory.
    std::unique_ptr<TTpMemoryStream> Stream;
};

// One mounted archive (or just a folder of loose files).
class TVrFileCollection : public THashCollection {
public:
    TVrFileCollection() = default;
    ~TVrFileCollection() override;

    // Opens the archive at `fileName`; the folder of loose files is its folder (the path itself when
    // the file does not exist and folderMode is not set). A program (".exe", ".scr", or any file
    // starting as an executable and ending in "vb") carries its archive at the start named by its
    // last 6 bytes; "name.ext" beside an archive holds its directory. Raises EVobeError naming the
    // archive when the directory is damaged.
    void LoadFromFile(const std::string& fileName, bool folderMode = false);
    // An archive linked into the program. Raises "リソースが見つかりません" when there is none.
    void LoadFromResource(const std::string& resName, const std::string& resType);
    // An archive held by a stream of its own (a save file read into memory); `name` stands for it in
    // messages.
    void LoadFromStream(std::unique_ptr<TTpBigStream> stream, const std::string& name);
    // Reads a directory from the stream's position. Offsets are checked against the archive stream
    // (when one is open) or `stream` itself.
    void ReadDirectory(TTpBigStream& stream);

    TVrFile* AddEntry(const std::string& name);
    TVrFile* AddMemoryEntry(const std::string& name);
    void DeleteEntry(const std::string& name);
    // The newest entry of that name (ignoring case), never the sentinel; null when there is none.
    TVrFile* FindEntry(std::string_view name) const;
    // Entry i in directory order (the sentinel excluded from EntryCount).
    TVrFile* Entry(int32_t i) const { return static_cast<TVrFile*>(Items(i)); }
    int32_t EntryCount() const;

    // The whole content of an entry (decompressed), else of folder + name; raises "%s:ファイルがありません".
    void ReadEntry(TStream& dest, const std::string& name);
    // Reads the entry's stored bytes and decompresses them when needed into `dest` (replacing its
    // content, position 0).
    void LoadEntryData(TVrFile& entry, TMemoryStream& dest);
    // A range stream over the entry's stored bytes; null when there is no such entry or no archive.
    std::unique_ptr<TRangeStream> OpenEntryRange(const std::string& name);
    // Writes the whole collection as a version 102 archive at dest's position.
    bool WriteArchive(TStream& dest);

    TTpBigStream* ArchiveStream() const { return FStream.get(); }
    const std::string& Folder() const { return FFolder; }
    const std::string& FileName() const { return FFileName; }
    bool IsResource() const { return FIsResource; }
    const std::string& ResType() const { return FResType; }
    int32_t Version() const { return FVersion; }
    void CloseStream() { FStream.reset(); }

private:
    [[noreturn]] void RaiseCorrupt(const std::string& what) const;

    std::unique_ptr<TTpBigStream> FStream;
    std::string FFolder;
    std::string FFileName;
    bool FIsResource = false;
    bool FFromStream = false;
    std::string FResType;
    int32_t FVersion = 0;
};

} // namespace vobe
