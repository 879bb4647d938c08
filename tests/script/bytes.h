// Builds stored records byte by byte, straight from the layouts, independently of the player's own
// writers: little-endian int32, bytes, length-prefixed strings and stored expressions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "platform/cp932.h"

namespace vobe::test {

struct TBytes {
    std::vector<uint8_t> b;

    TBytes& i32(int32_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
        return *this;
    }
    TBytes& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    TBytes& raw(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    TBytes& str(const std::string& s) { return i32(static_cast<int32_t>(s.size())).raw(s); }
    TBytes& fill(size_t n, uint8_t v) {
        b.insert(b.end(), n, v);
        return *this;
    }
    TBytes& add(const TBytes& o) {
        b.insert(b.end(), o.b.begin(), o.b.end());
        return *this;
    }
    // Expressions in their stored form.
    TBytes& noExpr() { return i32(0); }
    // ocTo ____arg := integer constant
    TBytes& intExpr(int32_t v) { return i32(1).u8(1).str("____arg").i32(1).u8(1).i32(v); }
    // ocTo ____arg := text constant
    TBytes& strExpr(const std::string& s) { return i32(1).u8(1).str("____arg").i32(1).u8(4).str(s); }
    // ocTo ____arg := variable
    TBytes& varExpr(const std::string& name) { return i32(1).u8(1).str("____arg").i32(1).u8(0).str(name); }
    TBytes& boolExpr(bool v) { return i32(1).u8(1).str("____arg").i32(1).u8(3).u8(v ? 1 : 0); }
    // The common command header after the type byte.
    TBytes& header(int32_t indent, uint8_t skip, uint8_t cont, int32_t line) {
        return i32(indent).u8(skip).u8(cont).i32(line);
    }

    TMemoryStream stream() const {
        TMemoryStream s;
        if (!b.empty()) s.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        s.SetPosition(0);
        return s;
    }
};

// A page header: version, result type, T rows of R bytes (row k from `rows`, zero when missing).
inline TBytes PageHeader(int32_t version, uint8_t resultType, int32_t t, int32_t r,
                         const std::vector<std::vector<uint8_t>>& rows = {}) {
    TBytes p;
    p.i32(version).u8(resultType).i32(t).i32(r);
    for (int32_t k = 0; k < t; ++k)
        for (int32_t j = 0; j < r; ++j) {
            uint8_t v = 0;
            if (k < static_cast<int32_t>(rows.size()) && j < static_cast<int32_t>(rows[k].size()))
                v = rows[k][j];
            p.u8(v);
        }
    return p;
}

} // namespace vobe::test
