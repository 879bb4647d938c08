// An archive writer for the tests, written straight from the byte layout and sharing no code with the
// player's writer: names and offsets scrambled by hand, compressed entries wrapped in a hand-made
// zlib stream of one stored block (so that every stored size is known in advance: data + 11).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vobe::testing {

struct TIndepEntry {
    std::string Name; // Shift-JIS
    std::string Data; // the file's content
    uint8_t Stored = 0;
    int32_t Time = 0;
    uint32_t Checksum = 0;
    uint8_t Plain = 0;
};

inline void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}
inline void Put64(std::string& s, uint64_t v) {
    for (int i = 0; i < 8; ++i) s += static_cast<char>(v >> (8 * i));
}

// zlib header 78 01, one final stored block, Adler-32 big-endian.
inline std::string HandZlib(const std::string& data) {
    std::string z = "\x78\x01";
    z += '\x01';
    uint16_t len = static_cast<uint16_t>(data.size());
    z += static_cast<char>(len & 0xFF);
    z += static_cast<char>(len >> 8);
    z += static_cast<char>(~len & 0xFF);
    z += static_cast<char>((~len >> 8) & 0xFF);
    z += data;
    uint32_t a = 1, b = 0;
    for (unsigned char c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    uint32_t adler = b << 16 | a;
    for (int i = 3; i >= 0; --i) z += static_cast<char>(adler >> (8 * i));
    return z;
}

struct TIndepArchive {
    std::string Directory; // magic .. last flag table
    std::string Data;      // the entries' stored bytes, back to back
};

// dataBase: where the data will start, relative to the directory's start (the directory's own size
// when the data follows it; another value for an external directory).
inline TIndepArchive BuildIndependent(int version, const std::vector<TIndepEntry>& entries,
                                      int64_t dataBase = -1) {
    const uint32_t key = 3182546028u;
    TIndepArchive out;
    std::string& d = out.Directory;
    if (version != 0) {
        d += "vf";
        Put32(d, static_cast<uint32_t>(version));
    }
    Put32(d, static_cast<uint32_t>(entries.size()));
    uint32_t state = 0;
    for (const auto& e : entries) {
        Put32(d, static_cast<uint32_t>(e.Name.size()));
        for (char c : e.Name) {
            if (version >= 100) {
                state = state * 5 + key;
                d += static_cast<char>(static_cast<uint8_t>(c) ^ (state & 0xFF));
            } else {
                d += c;
            }
        }
    }
    std::vector<std::string> stored;
    for (const auto& e : entries) stored.push_back((version >= 101 && e.Stored) ? e.Data : HandZlib(e.Data));
    const int64_t offSize = version >= 101 ? 8 : 4;
    const int64_t n = static_cast<int64_t>(entries.size());
    int64_t dirSize = static_cast<int64_t>(d.size()) + (n + 1) * offSize + (version >= 101 ? 9 * n : 0) +
                      (version >= 102 ? n : 0);
    int64_t pos = dataBase >= 0 ? dataBase : dirSize;
    std::vector<int64_t> offsets;
    for (const auto& s : stored) {
        offsets.push_back(pos);
        pos += static_cast<int64_t>(s.size());
    }
    offsets.push_back(pos);
    state = 0;
    for (int64_t off : offsets) {
        if (version == 0) {
            Put32(d, static_cast<uint32_t>(off));
        } else {
            state = state * 5 + key;
            if (offSize == 4) {
                Put32(d, static_cast<uint32_t>(off) ^ state);
            } else {
                uint64_t ext = (state & 0x80000000u) ? (0xFFFFFFFF00000000ull | state) : state;
                Put64(d, static_cast<uint64_t>(off) ^ ext);
            }
        }
    }
    if (version >= 101) {
        for (const auto& e : entries) d += static_cast<char>(e.Stored);
        for (const auto& e : entries) Put32(d, static_cast<uint32_t>(e.Time));
        for (const auto& e : entries) Put32(d, e.Checksum);
        if (version >= 102)
            for (const auto& e : entries) d += static_cast<char>(e.Plain);
    }
    for (const auto& s : stored) out.Data += s;
    return out;
}

} // namespace vobe::testing
