// The expression compiler: turns one expression text into the operation list of the stored form, the
// same list the authoring tool writes, so that text compiled at run time (Calc, expressions inside
// message text) evaluates exactly as compiled pages do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vobe {

class TStream;
class TVobeParser;

// One operation while compiling: operands as texts (a number, TRUE, FALSE, a double-quoted string, a
// variable name, or for ocFunc the function name followed by the argument texts).
struct TBuildOpeData {
    uint8_t Op = 0;
    std::string Dest;
    uint8_t FuncId = 0;
    std::vector<std::string> Operands;
};

class TBuildVobeParser {
public:
    // Appends the operations of one expression text, then removes the copies between temporaries.
    // Raises "構文エラー" or "配列の添え字が不正です"; a failed compilation keeps what it appended.
    void Compile(const std::string& text);
    // Writes the stored form. Raises "\"%s\" 関数名がありません" for an unknown function and the name
    // followed by " 引数の数が不正です" for a wrong argument count.
    void SaveToStream(TStream& s) const;
    // Empties the list and starts the temporary names again at 0.
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(FList.size()); }
    const TBuildOpeData& Items(int32_t i) const { return FList[static_cast<size_t>(i)]; }

private:
    // Texts are handled as characters: a Shift-JIS double-byte character is one unit (lead * 256 +
    // trail), so that no trail byte is ever taken for a bracket, a quote or an operator.
    using TChars = std::u16string;

    void Parse(const TChars& text, int depth);
    std::string NewTemp();
    std::string NewDimTemp();
    // Argument and index texts: the whole-text parentheses stripped, and anything with an operator
    // compiled into a temporary.
    std::string Prepare(TChars text, int depth);
    void Append(uint8_t op, std::string dest, std::vector<std::string> operands);
    void RemoveTemporaryCopies();

    std::vector<TBuildOpeData> FList;
    int32_t FCounter = 0;
};

// The usual use at run time: compile the text, write it and read it into parser (its previous
// operations are replaced). Raises the compiler's errors.
void CompileExpression(const std::string& text, TVobeParser& parser);

} // namespace vobe
