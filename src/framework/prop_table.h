// The numbered property set through which the script reads and writes every object: ids, names,
// captions, types, access and defaults. The game compiler maps property names to ids with it, and the
// dispatchers GetProp/SetProp (framework/prop_set.h) use its types.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vobe {

enum TPropId : int32_t {
    PR_NAME = 0,
    PR_PARENT = 1,
    PR_SOURCE = 2,
    PR_LEFT = 3,
    PR_TOP = 4,
    PR_WIDTH = 5,
    PR_HEIGHT = 6,
    PR_ZOOMX = 7,
    PR_COLOR = 8,
    PR_BORDERWIDTH = 9,
    PR_BORDERCOLOR = 10,
    PR_ALPHA = 11,
    PR_PRIORITY = 12,
    PR_OFFSETX = 13,
    PR_OFFSETY = 14,
    PR_FONTNAME = 15,
    PR_FONTHEIGHT = 16,
    PR_FONTSTYLE = 17,
    PR_LINESPACE = 18,
    PR_FONTCOLOR = 19,
    PR_FONTLINKCOLOR = 20,
    PR_FONTBORDERCOLOR = 21,
    PR_FONTHOVERCOLOR = 22,
    PR_FONTHOVERSTYLE = 23,
    PR_HOVERCOLOR = 24,
    PR_ANTIALIAS = 25,
    PR_DELAY = 26,
    PR_PAUSED = 27,
    PR_VOLUME = 28,
    PR_REPEAT = 29,
    PR_BALANCE = 30,
    PR_ANGLE = 31,
    PR_ONPLAYING = 32,
    PR_ONNOTIFY = 33,
    PR_ONMOUSEMOVE = 34,
    PR_ONMOUSEOUT = 35,
    PR_ONLBTNDOWN = 36,
    PR_ONLBTNUP = 37,
    PR_ONRBTNDOWN = 38,
    PR_ONRBTNUP = 39,
    PR_ONWHEELDOWN = 40,
    PR_ONWHEELUP = 41,
    PR_BRIGHTNESS = 42,
    PR_ONPLAYEND = 43,
    PR_INDEX = 44,
    PR_COUNT = 45,
    PR_ONLINK = 46,
    PR_VISIBLE = 47,
    PR_COLCOUNT = 48,
    PR_ROWCOUNT = 49,
    PR_TEXT = 50,
    PR_MARGINX = 51,
    PR_MARGINY = 52,
    PR_HALIGN = 53,
    PR_BORDERSOURCETL = 54,
    PR_BORDERSOURCETC = 55,
    PR_BORDERSOURCETR = 56,
    PR_BORDERSOURCECL = 57,
    PR_BORDERSOURCECC = 58,
    PR_BORDERSOURCECR = 59,
    PR_BORDERSOURCEBL = 60,
    PR_BORDERSOURCEBC = 61,
    PR_BORDERSOURCEBR = 62,
    PR_BORDERHALIGNT = 63,
    PR_BORDERHALIGNC = 64,
    PR_BORDERHALIGNB = 65,
    PR_BORDERVALIGNL = 66,
    PR_BORDERVALIGNC = 67,
    PR_BORDERVALIGNR = 68,
    PR_SCROLLSOURCE = 69,
    PR_CHECKSOURCE = 70,
    PR_AUTOSCRAP = 71,
    PR_ONSELECT = 72,
    PR_RCLICKSCRAP = 73,
    PR_ONOPENING = 74,
    PR_ONOPENED = 75,
    PR_ONCLOSING = 76,
    PR_ONCLOSED = 77,
    PR_CARETX = 78,
    PR_CARETY = 79,
    PR_IGNOREMOUSE = 80,
    PR_TEXTPAUSED = 81,
    PR_TEXTDELAY = 82,
    PR_HOVERSOURCE = 83,
    PR_PRESSEDSOURCE = 84,
    PR_GROUPINDEX = 85,
    PR_ALLOWALLUP = 86,
    PR_SELECTED = 87,
    PR_CAPTUREMASK = 88,
    PR_POWER = 89,
    PR_ORIGWIDTH = 90,
    PR_ORIGHEIGHT = 91,
    PR_APPEARX = 92,
    PR_APPEARY = 93,
    PR_PARTMOTION = 94,
    PR_PARAM1 = 95,
    PR_PARAM2 = 96,
    PR_TOPINDEX = 97,
    PR_READONLY = 98,
    PR_CURSOR = 99,
    PR_POSZOOMED = 100,
    PR_ONPLAYSTART = 101,
    PR_PARAM3 = 102,
    PR_ONMOUSEIN = 103,
    PR_ONMAPIN = 104,
    PR_ONMAPOUT = 105,
    PR_MAPSOURCE = 106,
    PR_AMP = 107,
    PR_WAVELEN = 108,
    PR_SCROLLX = 109,
    PR_SCROLLY = 110,
    PR_FLIPH = 111,
    PR_FLIPV = 112,
    PR_ONIDLE = 113,
    PR_DISTANCEX = 114,
    PR_DISTANCEY = 115,
    PR_CLIPLEFT = 116,
    PR_CLIPTOP = 117,
    PR_CLIPWIDTH = 118,
    PR_CLIPHEIGHT = 119,
    PR_DURATION = 120,
    PR_THUMBSOURCE = 121,
    PR_BUTTONSOURCE = 122,
    PR_MIN = 123,
    PR_MAX = 124,
    PR_VALUE = 125,
    PR_ORIENTATION = 126,
    PR_SMALLCHANGE = 127,
    PR_LARGECHANGE = 128,
    PR_MAPTEXT = 129,
    PR_GLYPHWIDTH = 130,
    PR_GLYPHHEIGHT = 131,
    PR_ZOOMY = 132,
    PR_CLICKEDSOURCE = 133,
    PR_ANIPAUSED = 134,
    PR_ONHOLD = 135,
    PR_ONRELEASE = 136,
    PR_REVERSE = 137,
    PR_PLAYING = 138,
    PR_REWINDONLOAD = 139,
    PR_COMPOTYPE = 140,
    PR_FONTSHADOWCOLOR = 141,
    PR_FONTBORDER = 142,
    PR_FONTSHADOW = 143,
    PR_ONKEYDOWN = 144,
    PR_ONKEYUP = 145,
    PR_ONKEYREPEAT = 146,
    PR_HANDLEKEY = 147,
    PR_ONFOCUSIN = 148,
    PR_ONFOCUSOUT = 149,
    PR_OVERLAY = 150,
    PR_TAG = 151,
    PR_CAPTURELINK = 152,
    PR_FONTHOVERBORDER = 153,
    PR_FONTHOVERBORDERCOLOR = 154,
    PR_FONTHOVERSHADOW = 155,
    PR_FONTHOVERSHADOWCOLOR = 156,
    PR_BARSIZE = 157,
    PR_MUTEONLOAD = 158,
    PR_PLUSX = 159,
    PR_PLUSY = 160,
    PR_CARETHEIGHT = 161,
};

constexpr int32_t PROP_COUNT = 162;

// A property's type: the declared type (an expression's temporary is made with it) and the value type
// (the typed store and read of GetProp/SetProp). They differ only for PR_ONPLAYING and PR_HANDLEKEY.
enum TPropKind : uint8_t { pkInt, pkFlag, pkFloat, pkString };

// paWriteError: read gives the default, a write raises "SetPropエラー" (PR_APPEARX, PR_APPEARY).
enum TPropAccess : uint8_t { paReadWrite, paReadOnly, paWriteError };

// Where an object that does not support the property takes its answer from: the table's value, the
// object's own field (PR_PRIORITY, PR_TAG), or its Width/Height (PR_ORIGWIDTH, PR_ORIGHEIGHT).
enum TPropDefaultKind : uint8_t { pdValue, pdField, pdWidth, pdHeight };

struct TPropInfo {
    int32_t Id;
    const char* Name;    // "PR_LEFT"
    const char* Caption; // the authoring caption, UTF-8 here; PropCaption gives the Shift-JIS text
    TPropKind Declared;
    TPropKind Value;
    TPropAccess Access;
    TPropDefaultKind DefaultKind;
    int32_t Default; // int default, or 0/1 for a flag; floats and strings default to 0 and ""
};

// The row of an id, or null outside 0..161.
const TPropInfo* FindPropInfo(int32_t id);
// The row of an id in 0..161 (checked by the caller).
const TPropInfo& PropInfo(int32_t id);

// The id of a property name, or -1. The name is compared without regard to ASCII case, with or
// without the "PR_" prefix: "left", "Left", "PR_LEFT" all give PR_LEFT.
int32_t FindPropByName(std::string_view name);

// The script-side name of a property: the name without "PR_", in lower case ("left").
std::string PropScriptName(int32_t id);

// The caption as Shift-JIS bytes ("" outside 0..161).
const std::string& PropCaption(int32_t id);

} // namespace vobe
