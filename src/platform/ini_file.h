// INI files as the system reads and writes them (game.ini): sections and keys match without regard to
// case, values are trimmed, a write goes to the file at once and keeps every other line as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vobe {

class TIniFile {
public:
    // A player path; a missing or unreadable file reads as empty.
    explicit TIniFile(std::string playerPath);

    const std::string& FileName() const { return path_; }
    // Replaces the content by the lines of a text (as read from a file).
    void SetText(const std::string& text);
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal or hexadecimal ("$1F", "0x1F") with an optional sign; anything else, or a value outside
    // the 32-bit range, gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
    // ReadInteger(key, def ? 1 : 0) != 0.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Each write saves the file (false when it cannot be written).
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int32_t value);
    bool WriteBool(const std::string& section, const std::string& key, bool value);
    // Writes pending changes; with immediate writes there are none, so this only reports the state.
    bool UpdateFile();

    // The text of the file as it would be written.
    std::string Text() const;

    // The integer rule of ReadInteger, for other readers of configuration text.
    static bool ParseInteger(const std::string& text, int32_t& value);

private:
    bool Find(const std::string& section, const std::string& key, size_t& line) const;
    bool Save();

    std::string path_;
    std::vector<std::string> lines_;
    bool ok_ = true;
    bool tooLarge_ = false;
};

} // namespace vobe
