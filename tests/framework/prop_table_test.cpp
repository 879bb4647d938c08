#include "framework/prop_table.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace vobe {
namespace {

TEST(PropTable, RowsAreIndexedByIdAndNamed) {
    for (int32_t id = 0; id < PROP_COUNT; ++id) {
        const TPropInfo& p = PropInfo(id);
        EXPECT_EQ(p.Id, id);
        EXPECT_EQ(std::string(p.Name).substr(0, 3), "PR_");
        EXPECT_EQ(FindPropByName(p.Name), id) << p.Name;
        EXPECT_EQ(FindPropByName(PropScriptName(id)), id) << p.Name;
        EXPECT_FALSE(PropCaption(id).empty());
    }
    EXPECT_EQ(FindPropInfo(-1), nullptr);
    EXPECT_EQ(FindPropInfo(PROP_COUNT), nullptr);
}

TEST(PropTable, FindByName) {
    struct Case {
        const char* Name;
        int32_t Id;
    } cases[] = {
        {"left", PR_LEFT},
        {"LEFT", PR_LEFT},
        {"pr_left", PR_LEFT},
        {"source", PR_SOURCE},
        {"caretheight", PR_CARETHEIGHT},
        {"Name", PR_NAME},
        {"borderSourceBR", PR_BORDERSOURCEBR},
        {"plusy", PR_PLUSY},
        {"", -1},
        {"PR_", -1},
        {"lef", -1},
        {"leftx", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindPropByName(c.Name), c.Id) << c.Name;
    EXPECT_EQ(PropScriptName(PR_ONLBTNDOWN), "onlbtndown");
    EXPECT_EQ(PropScriptName(162), "");
}

TEST(PropTable, TypesAccessAndDefaults) {
    // The two ids whose declared type differs from the value type.
    for (int32_t id = 0; id < PROP_COUNT; ++id) {
        const TPropInfo& p = PropInfo(id);
        if (id == PR_ONPLAYING) {
            EXPECT_EQ(p.Declared, pkFlag);
            EXPECT_EQ(p.Value, pkString);
        } else if (id == PR_HANDLEKEY) {
            EXPECT_EQ(p.Declared, pkInt);
            EXPECT_EQ(p.Value, pkFlag);
        } else {
            EXPECT_EQ(p.Declared, p.Value) << p.Name;
        }
        const bool readOnly = id == PR_CARETX || id == PR_CARETY || id == PR_PLAYING || id == PR_COMPOTYPE ||
                              id == PR_CARETHEIGHT;
        const bool writeError = id == PR_APPEARX || id == PR_APPEARY;
        EXPECT_EQ(p.Access, readOnly ? paReadOnly : writeError ? paWriteError : paReadWrite) << p.Name;
    }
    struct Case {
        int32_t Id;
        TPropKind Kind;
        int32_t Default;
    } cases[] = {
        {PR_ZOOMX, pkInt, 256},       {PR_ZOOMY, pkInt, 256},     {PR_COLOR, pkInt, 0xFFFFFF},
        {PR_BORDERCOLOR, pkInt, -1},  {PR_ALPHA, pkInt, 255},     {PR_HOVERCOLOR, pkInt, -1},
        {PR_BRIGHTNESS, pkInt, 255},  {PR_INDEX, pkInt, -1},      {PR_TEXTDELAY, pkInt, 256},
        {PR_PARTMOTION, pkInt, 1},    {PR_SMALLCHANGE, pkInt, 1}, {PR_LARGECHANGE, pkInt, 1},
        {PR_REWINDONLOAD, pkFlag, 1}, {PR_OVERLAY, pkFlag, 1},    {PR_VISIBLE, pkFlag, 0},
        {PR_PARAM2, pkFloat, 0},      {PR_CURSOR, pkString, 0},   {PR_LEFT, pkInt, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PropInfo(c.Id).Value, c.Kind) << PropInfo(c.Id).Name;
        EXPECT_EQ(PropInfo(c.Id).DefaultKind, pdValue);
        EXPECT_EQ(PropInfo(c.Id).Default, c.Default) << PropInfo(c.Id).Name;
    }
    EXPECT_EQ(PropInfo(PR_PRIORITY).DefaultKind, pdField);
    EXPECT_EQ(PropInfo(PR_TAG).DefaultKind, pdField);
    EXPECT_EQ(PropInfo(PR_ORIGWIDTH).DefaultKind, pdWidth);
    EXPECT_EQ(PropInfo(PR_ORIGHEIGHT).DefaultKind, pdHeight);
}

TEST(PropTable, CaptionsAreShiftJis) {
    EXPECT_EQ(PropCaption(PR_LEFT), SJ("X座標"));
    EXPECT_EQ(PropCaption(PR_FONTHOVERCOLOR), SJ("マウスオーバー時の") + "\r\n" + SJ("フォント色"));
    EXPECT_EQ(PropCaption(PR_BORDERSOURCECC), SJ("枠画像(背景)"));
    EXPECT_EQ(PropCaption(PR_GLYPHWIDTH), SJ("１個の幅"));
    EXPECT_EQ(PropCaption(PROP_COUNT), "");
}

} // namespace
} // namespace vobe
