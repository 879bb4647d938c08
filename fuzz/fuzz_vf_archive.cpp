// The archive directory reader and the entry decompression on arbitrary bytes: every input must end
// in a directory or an EVobeError, never a crash, a hang or an oversized allocation.
#include <cstdint>
#include <cstring>
#include <memory>

#include "archive/big_stream.h"
#include "archive/vf_archive.h"

using namespace vobe;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto stream = std::make_unique<TTpBigMemoryStream>();
    stream->WriteBuffer64(data, static_cast<int64_t>(size));
    TVrFileCollection c;
    try {
        c.LoadFromStream(std::move(stream), "fuzz.dat");
    } catch (const EVobeError&) {
        return 0;
    }
    TMemoryStream out;
    const int32_t n = c.EntryCount();
    for (int32_t i = 0; i < n && i < 64; ++i) {
        try {
            c.LoadEntryData(*c.Entry(i), out);
        } catch (const EVobeError&) {
        }
        c.FindEntry(c.Entry(i)->GetName());
    }
    // The raw bytes as a zlib stream as well.
    try {
        VfInflate(data, size, out, "fuzz");
    } catch (const EVobeError&) {
    }
    return 0;
}
