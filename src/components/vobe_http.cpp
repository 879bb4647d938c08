#include "components/vobe_http.h"

#include "framework/vobe_base_list.h"
#include "values/sjis_text.h"

namespace vobe {

// The request runs on the platform's HTTP client; here the URL is chosen. "!name" takes the URL from
// the document another web fetch has downloaded.
void TVobeHttp::SetSource(const std::string& v) {
    Data.Clear();
    if (!v.empty() && v[0] == '!') {
        Url.clear();
        if (Owner)
            if (auto* other = dynamic_cast<TVobeHttp*>(Owner->FindComponent(v.substr(1))))
                Url.assign(other->Data.Bytes().begin(), other->Data.Bytes().end());
    } else {
        Url = v;
    }
}

std::string TVobeHttp::GetText() {
    if (Data.GetSize() == 0) return std::string();
    const std::string text = EucToSjis(
        std::string_view(reinterpret_cast<const char*>(Data.Memory()), static_cast<size_t>(Data.GetSize())));
    std::string out;
    size_t start = 0;
    bool first = true;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        if (i == text.size() && start == i) break;
        if (!first) out += '\x01';
        out += text.substr(start, i - start);
        first = false;
        if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return out;
}

} // namespace vobe
