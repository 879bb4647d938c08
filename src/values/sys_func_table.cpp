#include "values/sys_func_table.h"

#include <string>
#include <unordered_map>

namespace vobe {

ISysFunctions* SysFunctions = nullptr;

namespace {

// Functions that return nothing leave their destination as created: a text destination, so that it
// reads empty.
constexpr TParamType I = PT_INT, F = PT_FLOAT, B = PT_BOOL, S = PT_STR, NONE = PT_STR, PROP = PT_NONE;

const TSysFuncInfo Table[SYS_FUNC_COUNT] = {
    {"IntToStr", 1, 2, S},         // 0
    {"IntToHex", 2, 2, S},         // 1
    {"GetProp", 2, 2, PROP},       // 2
    {"SetProp", 3, 3, S},          // 3
    {"GetArraySize", 1, 2, I},     // 4
    {"Length", 1, 1, I},           // 5
    {"JLength", 1, 1, I},          // 6
    {"Copy", 2, 3, S},             // 7
    {"JCopy", 2, 3, S},            // 8
    {"Delete", 2, 3, NONE},        // 9
    {"JDelete", 2, 3, NONE},       // 10
    {"Insert", 3, 3, NONE},        // 11
    {"JInsert", 3, 3, NONE},       // 12
    {"CompareStr", 2, 2, I},       // 13
    {"CompareText", 2, 2, I},      // 14
    {"Pos", 2, 2, I},              // 15
    {"JPos", 2, 2, I},             // 16
    {"Trim", 1, 1, S},             // 17
    {"JTrim", 1, 1, S},            // 18
    {"Exists", 1, 1, B},           // 19
    {"Not", 1, 1, B},              // 20
    {"SetArray", 2, -1, NONE},     // 21
    {"FillMem", 2, 2, NONE},       // 22
    {"CopyMem", 2, 2, NONE},       // 23
    {"GetCheck", 2, 2, B},         // 24
    {"SetCheck", 3, 3, I},         // 25
    {"Random", 1, 1, I},           // 26
    {"GetSaveCaption", 1, 1, S},   // 27
    {"ArrayToString", 1, 2, S},    // 28
    {"StringToArray", 2, 3, NONE}, // 29
    {"IndexOfStr", 2, 4, I},       // 30
    {"SortStr", 1, 1, NONE},       // 31
    {"ListCompo", 1, 3, I},        // 32
    {"ToClientX", 2, 2, I},        // 33
    {"ToClientY", 2, 2, I},        // 34
    {"ToScreenX", 2, 2, I},        // 35
    {"ToScreenY", 2, 2, I},        // 36
    {"Int", 1, 1, I},              // 37
    {"Float", 1, 1, F},            // 38
    {"Sin", 1, 1, F},              // 39
    {"Cos", 1, 1, F},              // 40
    {"Tan", 1, 1, F},              // 41
    {"ArcSin", 1, 1, F},           // 42
    {"ArcCos", 1, 1, F},           // 43
    {"ArcTan", 1, 1, F},           // 44
    {"ArcTan2", 2, 2, F},          // 45
    {"Hypot", 2, 2, F},            // 46
    {"IndexOfMenu", 2, 2, I},      // 47
    {"Abs", 1, 1, I},              // 48
    {"Fabs", 1, 1, F},             // 49
    {"VarExists", 1, 1, B},        // 50
    {"EncodeDate", 3, 3, F},       // 51
    {"EncodeTime", 3, 3, F},       // 52
    {"DecodeDate", 4, 4, NONE},    // 53
    {"DecodeTime", 4, 4, NONE},    // 54
    {"GetYear", 1, 1, I},          // 55
    {"GetMonth", 1, 1, I},         // 56
    {"GetDay", 1, 1, I},           // 57
    {"GetHour", 1, 1, I},          // 58
    {"GetMin", 1, 1, I},           // 59
    {"GetSec", 1, 1, I},           // 60
    {"GetWeek", 1, 1, I},          // 61
    {"GetWeekStr", 1, 1, S},       // 62
    {"GetWeekJStr", 1, 1, S},      // 63
    {"FixStr", 1, 1, S},           // 64
    {"GetDisplayMode", 5, 5, B},   // 65
    {"AddArray", 2, 2, I},         // 66
    {"InsertArray", 3, 3, I},      // 67
    {"DeleteArray", 3, 3, I},      // 68
    {"InPrimary", 1, 1, B},        // 69
    {"CopyArray", 2, 2, B},        // 70
    {"FileExists", 1, 1, B},       // 71
    {"LoadTextFile", 2, 2, B},     // 72
    {"LowerCase", 1, 1, S},        // 73
    {"UpperCase", 1, 1, S},        // 74
    {"ExtractFilePath", 1, 1, S},  // 75
    {"ExtractFileName", 1, 1, S},  // 76
    {"ExtractFileExt", 1, 1, S},   // 77
    {"IsPathDelimiter", 2, 2, B},  // 78
    {"AddBackSlash", 1, 1, S},     // 79
    {"ChangeFileExt", 2, 2, S},    // 80
    {"IsDelimiter", 3, 3, B},      // 81
    {"StringOfChar", 2, 2, S},     // 82
    {"StringReplace", 3, 5, S},    // 83
    {"AssignTemp", 1, 1, B},       // 84
    {"HanToZen", 1, 1, S},         // 85
    {"ZenToHan", 1, 1, S},         // 86
    {"DBCreateTable", 2, 2, B},    // 87
    {"DBSetActive", 1, 1, B},      // 88
    {"DBAddField", 2, 3, B},       // 89
    {"DBSetRecNo", 1, 1, B},       // 90
    {"DBInsert", 0, -1, B},        // 91
    {"DBDelete", 0, 0, B},         // 92
    {"DBGetInt", 1, 1, I},         // 93
    {"DBSetInt", 2, 2, B},         // 94
    {"DBGetFloat", 1, 1, F},       // 95
    {"DBSetFloat", 2, 2, B},       // 96
    {"DBGetBool", 1, 1, B},        // 97
    {"DBSetBool", 2, 2, B},        // 98
    {"DBGetStr", 1, 1, S},         // 99
    {"DBSetStr", 2, 2, B},         // 100
    {"DBRecordCount", 0, 1, I},    // 101
    {"DBFindFirst", 0, 0, B},      // 102
    {"DBFindLast", 0, 0, B},       // 103
    {"DBFindNext", 0, 0, B},       // 104
    {"DBFindPrior", 0, 0, B},      // 105
    {"DBLocate", 2, 4, B},         // 106
    {"DBLoadTsvFile", 1, 1, B},    // 107
    {"DBDirectGetInt", 7, 7, I},   // 108
    {"DBDirectSetInt", 7, 7, B},   // 109
    {"DBDirectGetFloat", 7, 7, F}, // 110
    {"DBDirectSetFloat", 7, 7, B}, // 111
    {"DBDirectGetBool", 7, 7, B},  // 112
    {"DBDirectSetBool", 7, 7, B},  // 113
    {"DBDirectGetStr", 7, 7, S},   // 114
    {"DBDirectSetStr", 7, 7, B},   // 115
    {"DBCopyTable", 1, 5, B},      // 116
    {"DBDeleteTable", 0, 1, B},    // 117
    {"DBInsertTable", 1, 5, B},    // 118
    {"DBCopy", 1, 1, B},           // 119
    {"DBClearTable", 0, 0, B},     // 120
    {"DBSort", 2, 2, B},           // 121
    {"DBGetActive", 0, 0, S},      // 122
    {"DBGetRecNo", 0, 1, I},       // 123
    {"DBClearRecord", 0, 1, B},    // 124
    {"SetWallPaper", 2, 2, B},     // 125
    {"Min", 2, 2, I},              // 126
    {"Max", 2, 2, I},              // 127
    {"Fmin", 2, 2, F},             // 128
    {"Fmax", 2, 2, F},             // 129
    {"GetVarType", 1, 1, I},       // 130
    {"GetEnabled", 2, 2, B},       // 131
    {"SetEnabled", 3, 3, I},       // 132
    {"AddDelimiter", 2, 2, S},     // 133
    {"ListSaveCaption", 0, 2, I},  // 134
    {"OpenUrl", 1, 1, NONE},       // 135
    {"Calc", 1, 1, S},             // 136
    {"SaveScreen", 1, 5, B},       // 137
    {"StrToIntDef", 2, 2, I},      // 138
    {"StrToFloatDef", 2, 2, F},    // 139
    {"GetVisible", 2, 2, B},       // 140
    {"SetVisible", 3, 3, B},       // 141
    {"DeleteStack", 1, 1, B},      // 142
};

} // namespace

const TSysFuncInfo& SysFuncInfo(int32_t k) {
    return Table[k];
}

int32_t FindSysFunc(std::string_view name) {
    static const std::unordered_map<std::string_view, int32_t> index = [] {
        std::unordered_map<std::string_view, int32_t> m;
        for (int32_t k = 0; k < SYS_FUNC_COUNT; ++k) m.emplace(Table[k].Name, k);
        return m;
    }();
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
}

} // namespace vobe
