#include "platform/ini_file.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace vobe {

namespace {

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

// "[name]" → name; false for other lines.
bool SectionName(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value" → key, value; false for comments and lines without '='.
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    // A value in matching quotes loses them, as the system's profile reader does.
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return !key.empty();
}

} // namespace

TIniFile::TIniFile(std::string playerPath) : path_(std::move(playerPath)) {
    auto f = TPlatformFile::Open(RealPath(path_), TFileAccess::Read);
    if (!f) return;
    // Configuration files are small. One beyond any sane size is not read, and never rewritten from
    // a part of it.
    int64_t size = f->Size();
    if (size > (16 << 20)) {
        tooLarge_ = true;
        return;
    }
    std::string text(static_cast<size_t>(size), '\0');
    text.resize(static_cast<size_t>(f->Read(text.data(), size)));
    SetText(text);
}

void TIniFile::SetText(const std::string& text) {
    lines_.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        pos = eol + 1;
    }
}

bool TIniFile::Find(const std::string& section, const std::string& key, size_t& line) const {
    bool in = false;
    std::string name, k, v;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (SectionName(lines_[i], name)) {
            in = AnsiSameText(name, section);
            continue;
        }
        if (in && KeyValue(lines_[i], k, v) && AnsiSameText(k, key)) {
            line = i;
            return true;
        }
    }
    return false;
}

bool TIniFile::SectionExists(const std::string& section) const {
    std::string name;
    for (const auto& l : lines_)
        if (SectionName(l, name) && AnsiSameText(name, section)) return true;
    return false;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    size_t i;
    return Find(section, key, i);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    size_t i;
    if (!Find(section, key, i)) return def;
    std::string k, v;
    KeyValue(lines_[i], k, v);
    return v;
}

bool TIniFile::ParseInteger(const std::string& text, int32_t& value) {
    std::string t = Trim(text);
    size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return false;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        int d;
        char c = t[i];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        // Hexadecimal may spell a negative number in two's complement, as the system's conversion allows.
        if (v > (base == 16 ? 0xFFFFFFFFll : 0x80000000ll)) return false;
    }
    if (base == 16 && !neg) {
        value = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    if (neg) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
    int32_t v;
    return ParseInteger(ReadString(section, key, ""), v) ? v : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    size_t i;
    std::string line = key + "=" + value;
    if (Find(section, key, i)) {
        lines_[i] = line;
    } else {
        // Append to the section (after its last key), or add the section at the end.
        bool in = false;
        size_t insertAt = std::string::npos;
        std::string name, k, v;
        for (size_t j = 0; j < lines_.size(); ++j) {
            if (SectionName(lines_[j], name)) {
                if (in) break;
                in = AnsiSameText(name, section);
                if (in) insertAt = j + 1;
            } else if (in && !Trim(lines_[j]).empty()) {
                insertAt = j + 1;
            }
        }
        if (insertAt != std::string::npos) {
            lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(insertAt), line);
        } else {
            if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
            lines_.push_back("[" + section + "]");
            lines_.push_back(line);
        }
    }
    ok_ = Save();
    return ok_;
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::UpdateFile() {
    return ok_;
}

std::string TIniFile::Text() const {
    std::string text;
    for (const auto& l : lines_) text += l + "\r\n";
    return text;
}

bool TIniFile::Save() {
    if (tooLarge_) return false;
    // Write a sibling file and rename it over the old one, so that a failed write never leaves a
    // half-written configuration.
    std::string real = RealPath(path_);
    std::string tmp = real + ".tmp";
    auto f = TPlatformFile::Open(tmp, TFileAccess::Write, true, true);
    if (!f) return false;
    std::string text = Text();
    bool ok = f->Write(text.data(), static_cast<int64_t>(text.size())) == static_cast<int64_t>(text.size()) &&
              f->Flush();
    f.reset();
    if (!ok || std::rename(tmp.c_str(), real.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace vobe
