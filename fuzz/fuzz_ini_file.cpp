// game.ini: any bytes parse, and every read answers without failing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    vobe::TIniFile ini("");
    ini.SetText(text);
    // Sections and keys taken from the input itself, and the ones the player reads.
    std::string a = text.substr(0, size / 3), b = text.substr(size / 3, size / 3);
    ini.ReadInteger("Sound", "DelayTime", 500);
    ini.ReadBool("Sound", "DirectSound", true);
    ini.ReadString(a, b, "");
    ini.ValueExists(b, a);
    ini.SectionExists(a);
    int32_t v;
    vobe::TIniFile::ParseInteger(text, v);
    (void)ini.Text();
    return 0;
}
