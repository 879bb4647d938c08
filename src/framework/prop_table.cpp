#include "framework/prop_table.h"

#include <array>

#include "platform/cp932.h"

namespace vobe {

namespace {

const TPropInfo kProps[PROP_COUNT] = {
    {PR_NAME, "PR_NAME", "名前", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_PARENT, "PR_PARENT", "親", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_SOURCE, "PR_SOURCE", "ソース", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_LEFT, "PR_LEFT", "X座標", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_TOP, "PR_TOP", "Y座標", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_WIDTH, "PR_WIDTH", "幅", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_HEIGHT, "PR_HEIGHT", "高さ", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ZOOMX, "PR_ZOOMX", "ズームX", pkInt, pkInt, paReadWrite, pdValue, 256},
    {PR_COLOR, "PR_COLOR", "色", pkInt, pkInt, paReadWrite, pdValue, 0xFFFFFF},
    {PR_BORDERWIDTH, "PR_BORDERWIDTH", "枠幅", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERCOLOR, "PR_BORDERCOLOR", "枠色", pkInt, pkInt, paReadWrite, pdValue, -1},
    {PR_ALPHA, "PR_ALPHA", "アルファ", pkInt, pkInt, paReadWrite, pdValue, 255},
    {PR_PRIORITY, "PR_PRIORITY", "プライオリティ", pkInt, pkInt, paReadWrite, pdField, 0},
    {PR_OFFSETX, "PR_OFFSETX", "X中心座標", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_OFFSETY, "PR_OFFSETY", "Y中心座標", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTNAME, "PR_FONTNAME", "フォント名", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_FONTHEIGHT, "PR_FONTHEIGHT", "フォントサイズ", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTSTYLE, "PR_FONTSTYLE", "フォントスタイル", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_LINESPACE, "PR_LINESPACE", "行間", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTCOLOR, "PR_FONTCOLOR", "フォント色", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTLINKCOLOR, "PR_FONTLINKCOLOR", "リンクの色", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTBORDERCOLOR, "PR_FONTBORDERCOLOR", "フォントの縁の色", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTHOVERCOLOR, "PR_FONTHOVERCOLOR", "マウスオーバー時の\r\nフォント色", pkInt, pkInt, paReadWrite,
     pdValue, 0},
    {PR_FONTHOVERSTYLE, "PR_FONTHOVERSTYLE", "マウスオーバー時の\r\nフォントスタイル", pkInt, pkInt,
     paReadWrite, pdValue, 0},
    {PR_HOVERCOLOR, "PR_HOVERCOLOR", "マウスオーバー時の色", pkInt, pkInt, paReadWrite, pdValue, -1},
    {PR_ANTIALIAS, "PR_ANTIALIAS", "アンチエイリアス", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_DELAY, "PR_DELAY", "ウエイト", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_PAUSED, "PR_PAUSED", "停止", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_VOLUME, "PR_VOLUME", "音量", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_REPEAT, "PR_REPEAT", "リピート", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_BALANCE, "PR_BALANCE", "バランス", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ANGLE, "PR_ANGLE", "角度", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ONPLAYING, "PR_ONPLAYING", "再生中", pkFlag, pkString, paReadWrite, pdValue, 0},
    {PR_ONNOTIFY, "PR_ONNOTIFY", "汎用イベント", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONMOUSEMOVE, "PR_ONMOUSEMOVE", "マウス移動", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONMOUSEOUT, "PR_ONMOUSEOUT", "マウスアウト", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONLBTNDOWN, "PR_ONLBTNDOWN", "左ボタンダウン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONLBTNUP, "PR_ONLBTNUP", "左ボタンアップ", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONRBTNDOWN, "PR_ONRBTNDOWN", "右ボタンダウン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONRBTNUP, "PR_ONRBTNUP", "右ボタンアップ", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONWHEELDOWN, "PR_ONWHEELDOWN", "ホイールダウン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONWHEELUP, "PR_ONWHEELUP", "ホイールアップ", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BRIGHTNESS, "PR_BRIGHTNESS", "明るさ", pkInt, pkInt, paReadWrite, pdValue, 255},
    {PR_ONPLAYEND, "PR_ONPLAYEND", "再生終了", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_INDEX, "PR_INDEX", "インデックス", pkInt, pkInt, paReadWrite, pdValue, -1},
    {PR_COUNT, "PR_COUNT", "カウント", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ONLINK, "PR_ONLINK", "リンク", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_VISIBLE, "PR_VISIBLE", "可視", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_COLCOUNT, "PR_COLCOUNT", "列数", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ROWCOUNT, "PR_ROWCOUNT", "行数", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_TEXT, "PR_TEXT", "テキスト", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_MARGINX, "PR_MARGINX", "左右の余白", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_MARGINY, "PR_MARGINY", "上下の余白", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_HALIGN, "PR_HALIGN", "横の揃え", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCETL, "PR_BORDERSOURCETL", "枠画像(左上)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCETC, "PR_BORDERSOURCETC", "枠画像(上)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCETR, "PR_BORDERSOURCETR", "枠画像(右上)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCECL, "PR_BORDERSOURCECL", "枠画像(左)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCECC, "PR_BORDERSOURCECC", "枠画像(背景)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCECR, "PR_BORDERSOURCECR", "枠画像(右)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCEBL, "PR_BORDERSOURCEBL", "枠画像(左下)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCEBC, "PR_BORDERSOURCEBC", "枠画像(下)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERSOURCEBR, "PR_BORDERSOURCEBR", "枠画像(右下)", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BORDERHALIGNT, "PR_BORDERHALIGNT", "枠横揃え(上)", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERHALIGNC, "PR_BORDERHALIGNC", "枠横揃え(背景)", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERHALIGNB, "PR_BORDERHALIGNB", "枠横揃え(下)", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERVALIGNL, "PR_BORDERVALIGNL", "枠縦揃え(左)", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERVALIGNC, "PR_BORDERVALIGNC", "枠縦揃え(背景)", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_BORDERVALIGNR, "PR_BORDERVALIGNR", "枠縦揃え(右)", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_SCROLLSOURCE, "PR_SCROLLSOURCE", "スクロールバー画像", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_CHECKSOURCE, "PR_CHECKSOURCE", "チェック画像", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_AUTOSCRAP, "PR_AUTOSCRAP", "自動破棄", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_ONSELECT, "PR_ONSELECT", "選択", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_RCLICKSCRAP, "PR_RCLICKSCRAP", "右クリックで破棄", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_ONOPENING, "PR_ONOPENING", "オープン前", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONOPENED, "PR_ONOPENED", "オープン後", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONCLOSING, "PR_ONCLOSING", "クローズ前", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONCLOSED, "PR_ONCLOSED", "クローズ後", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_CARETX, "PR_CARETX", "キャレットX", pkInt, pkInt, paReadOnly, pdValue, 0},
    {PR_CARETY, "PR_CARETY", "キャレットY", pkInt, pkInt, paReadOnly, pdValue, 0},
    {PR_IGNOREMOUSE, "PR_IGNOREMOUSE", "マウス透過", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_TEXTPAUSED, "PR_TEXTPAUSED", "テキスト一時停止", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_TEXTDELAY, "PR_TEXTDELAY", "テキストウエイト率", pkInt, pkInt, paReadWrite, pdValue, 256},
    {PR_HOVERSOURCE, "PR_HOVERSOURCE", "マウスオーバー時の\r\n画像", pkString, pkString, paReadWrite, pdValue,
     0},
    {PR_PRESSEDSOURCE, "PR_PRESSEDSOURCE", "押された時の画像", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_GROUPINDEX, "PR_GROUPINDEX", "グループ番号", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ALLOWALLUP, "PR_ALLOWALLUP", "全解除許可", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_SELECTED, "PR_SELECTED", "選択", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_CAPTUREMASK, "PR_CAPTUREMASK", "マウス位置を\r\nマスクで判断", pkFlag, pkFlag, paReadWrite, pdValue,
     0},
    {PR_POWER, "PR_POWER", "強さ", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ORIGWIDTH, "PR_ORIGWIDTH", "元の幅", pkInt, pkInt, paReadWrite, pdWidth, 0},
    {PR_ORIGHEIGHT, "PR_ORIGHEIGHT", "元の高さ", pkInt, pkInt, paReadWrite, pdHeight, 0},
    {PR_APPEARX, "PR_APPEARX", "X発生座標", pkInt, pkInt, paWriteError, pdValue, 0},
    {PR_APPEARY, "PR_APPEARY", "Y発生座標", pkInt, pkInt, paWriteError, pdValue, 0},
    {PR_PARTMOTION, "PR_PARTMOTION", "動作タイプ", pkInt, pkInt, paReadWrite, pdValue, 1},
    {PR_PARAM1, "PR_PARAM1", "パラメータ1", pkFloat, pkFloat, paReadWrite, pdValue, 0},
    {PR_PARAM2, "PR_PARAM2", "パラメータ2", pkFloat, pkFloat, paReadWrite, pdValue, 0},
    {PR_TOPINDEX, "PR_TOPINDEX", "最上部インデックス", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_READONLY, "PR_READONLY", "編集禁止", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_CURSOR, "PR_CURSOR", "カーソル", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_POSZOOMED, "PR_POSZOOMED", "ズーム座標", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_ONPLAYSTART, "PR_ONPLAYSTART", "再生開始", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_PARAM3, "PR_PARAM3", "パラメータ3", pkFloat, pkFloat, paReadWrite, pdValue, 0},
    {PR_ONMOUSEIN, "PR_ONMOUSEIN", "マウスイン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONMAPIN, "PR_ONMAPIN", "マップイン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONMAPOUT, "PR_ONMAPOUT", "マップアウト", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_MAPSOURCE, "PR_MAPSOURCE", "マップ", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_AMP, "PR_AMP", "振幅", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_WAVELEN, "PR_WAVELEN", "波長", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_SCROLLX, "PR_SCROLLX", "スクロールX", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_SCROLLY, "PR_SCROLLY", "スクロールY", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FLIPH, "PR_FLIPH", "横反転", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_FLIPV, "PR_FLIPV", "縦反転", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_ONIDLE, "PR_ONIDLE", "アイドル", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_DISTANCEX, "PR_DISTANCEX", "横の間隔", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_DISTANCEY, "PR_DISTANCEY", "縦の間隔", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_CLIPLEFT, "PR_CLIPLEFT", "クリップX", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_CLIPTOP, "PR_CLIPTOP", "クリップY", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_CLIPWIDTH, "PR_CLIPWIDTH", "クリップ幅", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_CLIPHEIGHT, "PR_CLIPHEIGHT", "クリップ高さ", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_DURATION, "PR_DURATION", "持続時間", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_THUMBSOURCE, "PR_THUMBSOURCE", "つまみ画像", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_BUTTONSOURCE, "PR_BUTTONSOURCE", "ボタン画像", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_MIN, "PR_MIN", "最小値", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_MAX, "PR_MAX", "最大値", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_VALUE, "PR_VALUE", "値", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ORIENTATION, "PR_ORIENTATION", "方向", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_SMALLCHANGE, "PR_SMALLCHANGE", "変化量", pkInt, pkInt, paReadWrite, pdValue, 1},
    {PR_LARGECHANGE, "PR_LARGECHANGE", "大きい変化量", pkInt, pkInt, paReadWrite, pdValue, 1},
    {PR_MAPTEXT, "PR_MAPTEXT", "マップテキスト", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_GLYPHWIDTH, "PR_GLYPHWIDTH", "１個の幅", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_GLYPHHEIGHT, "PR_GLYPHHEIGHT", "１個の高さ", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ZOOMY, "PR_ZOOMY", "ズームY", pkInt, pkInt, paReadWrite, pdValue, 256},
    {PR_CLICKEDSOURCE, "PR_CLICKEDSOURCE", "クリック後の画像", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ANIPAUSED, "PR_ANIPAUSED", "動画停止", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_ONHOLD, "PR_ONHOLD", "ホールド", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONRELEASE, "PR_ONRELEASE", "リリース", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_REVERSE, "PR_REVERSE", "逆方向", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_PLAYING, "PR_PLAYING", "再生中", pkFlag, pkFlag, paReadOnly, pdValue, 0},
    {PR_REWINDONLOAD, "PR_REWINDONLOAD", "ロード時巻き戻し", pkFlag, pkFlag, paReadWrite, pdValue, 1},
    {PR_COMPOTYPE, "PR_COMPOTYPE", "コンポーネントの種類", pkInt, pkInt, paReadOnly, pdValue, 0},
    {PR_FONTSHADOWCOLOR, "PR_FONTSHADOWCOLOR", "フォントの影の色", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTBORDER, "PR_FONTBORDER", "フォントの縁の幅", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_FONTSHADOW, "PR_FONTSHADOW", "フォントの影の位置", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_ONKEYDOWN, "PR_ONKEYDOWN", "キーダウン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONKEYUP, "PR_ONKEYUP", "キーアップ", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONKEYREPEAT, "PR_ONKEYREPEAT", "キーリピート", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_HANDLEKEY, "PR_HANDLEKEY", "キー処理", pkInt, pkFlag, paReadWrite, pdValue, 0},
    {PR_ONFOCUSIN, "PR_ONFOCUSIN", "フォーカスイン", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_ONFOCUSOUT, "PR_ONFOCUSOUT", "フォーカスアウト", pkString, pkString, paReadWrite, pdValue, 0},
    {PR_OVERLAY, "PR_OVERLAY", "オーバーレイ", pkFlag, pkFlag, paReadWrite, pdValue, 1},
    {PR_TAG, "PR_TAG", "タグ", pkString, pkString, paReadWrite, pdField, 0},
    {PR_CAPTURELINK, "PR_CAPTURELINK", "マウス判定を\r\nリンク文字のみ", pkFlag, pkFlag, paReadWrite, pdValue,
     0},
    {PR_FONTHOVERBORDER, "PR_FONTHOVERBORDER", "マウスオーバー時の\r\nフォントの縁の幅", pkInt, pkInt,
     paReadWrite, pdValue, 0},
    {PR_FONTHOVERBORDERCOLOR, "PR_FONTHOVERBORDERCOLOR", "マウスオーバー時の\r\nフォントの縁の色", pkInt,
     pkInt, paReadWrite, pdValue, 0},
    {PR_FONTHOVERSHADOW, "PR_FONTHOVERSHADOW", "マウスオーバー時の\r\nフォントの影の位置", pkInt, pkInt,
     paReadWrite, pdValue, 0},
    {PR_FONTHOVERSHADOWCOLOR, "PR_FONTHOVERSHADOWCOLOR", "マウスオーバー時の\r\nフォントの影の色", pkInt,
     pkInt, paReadWrite, pdValue, 0},
    {PR_BARSIZE, "PR_BARSIZE", "バーの長さ", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_MUTEONLOAD, "PR_MUTEONLOAD", "ロード時ミュート", pkFlag, pkFlag, paReadWrite, pdValue, 0},
    {PR_PLUSX, "PR_PLUSX", "X座標加算値", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_PLUSY, "PR_PLUSY", "Y座標加算値", pkInt, pkInt, paReadWrite, pdValue, 0},
    {PR_CARETHEIGHT, "PR_CARETHEIGHT", "キャレットの高さ", pkInt, pkInt, paReadOnly, pdValue, 0},
};

} // namespace

const TPropInfo* FindPropInfo(int32_t id) {
    if (id < 0 || id >= PROP_COUNT) return nullptr;
    return &kProps[id];
}

const TPropInfo& PropInfo(int32_t id) {
    return kProps[id];
}

int32_t FindPropByName(std::string_view name) {
    if (name.size() > 3 && AnsiSameText(name.substr(0, 3), "PR_")) name.remove_prefix(3);
    for (const TPropInfo& p : kProps)
        if (AnsiSameText(std::string_view(p.Name).substr(3), name)) return p.Id;
    return -1;
}

std::string PropScriptName(int32_t id) {
    const TPropInfo* p = FindPropInfo(id);
    if (!p) return std::string();
    return AnsiLowerCase(p->Name + 3);
}

const std::string& PropCaption(int32_t id) {
    static const std::array<std::string, PROP_COUNT> captions = [] {
        std::array<std::string, PROP_COUNT> a;
        for (int32_t i = 0; i < PROP_COUNT; ++i) a[i] = Utf8ToSjis(kProps[i].Caption);
        return a;
    }();
    static const std::string empty;
    if (id < 0 || id >= PROP_COUNT) return empty;
    return captions[id];
}

} // namespace vobe
