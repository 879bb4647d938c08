#include "shell/variable_dump.h"

#include <algorithm>

#include "values/param.h"
#include "values/param_collection.h"

namespace vobe {

namespace {

const char* TypeName(const TCustomParam& p) {
    if (p.AsVar()) return "ref";
    switch (p.GetParamType()) {
    case PT_INT: return "int";
    case PT_FLOAT: return "float";
    case PT_BOOL: return "bool";
    case PT_STR: return "str";
    default: return "ref";
    }
}

} // namespace

std::string DumpVariableStore(const TParamCollection& store) {
    std::vector<const TParamCollectionItem*> items;
    for (int32_t i = 0; i < store.Count(); ++i) {
        const TParamCollectionItem* item = store.Item(i);
        if (!item || item->IsSystem() || item->GetName().empty()) continue;
        items.push_back(item);
    }
    std::stable_sort(
        items.begin(), items.end(), [](const TParamCollectionItem* a, const TParamCollectionItem* b) {
            // Byte order: compare as unsigned bytes, as the names are Shift-JIS.
            const std::string &x = a->GetName(), &y = b->GetName();
            return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char c, char d) {
                return static_cast<unsigned char>(c) < static_cast<unsigned char>(d);
            });
        });
    std::string out;
    for (const TParamCollectionItem* item : items) {
        const TCustomParam& p = item->GetParam();
        const std::string type = TypeName(p);
        std::string value;
        try {
            if (p.GetDims().empty()) {
                out += item->GetName() + "\t" + type + "\t" + p.GetAsStr() + "\n";
                continue;
            }
            const int32_t n = p.GetCount();
            for (int32_t i = 0; i < n; ++i)
                out += item->GetName() + "[" + std::to_string(i) + "]\t" + type + "\t" + p.GetStrAt(i) + "\n";
        } catch (const std::exception&) {
            // A reference whose target is gone has no value to show.
            out += item->GetName() + "\t" + type + "\t\n";
        }
    }
    return out;
}

} // namespace vobe
