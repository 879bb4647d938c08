// The property set per class: every class answers the table's default for the properties it does
// not support (and ignores writes to them), and reads back what is written to the ones it supports.
#include <functional>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "components/vobe_button.h"
#include "components/vobe_list_box.h"
#include "components/vobe_particle.h"
#include "components/vobe_sound.h"
#include "framework/prop_set.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_factory.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/param.h"

namespace vobe {
namespace {

// The supported properties of each class, as the class adds them (names without "PR_").
const char* const kObject = "name priority tag";
const char* const kControl =
    "parent left top width height color offsetx offsety visible ignoremouse cursor poszoomed clipleft "
    "cliptop "
    "clipwidth clipheight anipaused playing handlekey plusx plusy onmousemove onmouseout onlbtndown "
    "onlbtnup onrbtndown onrbtnup onwheeldown onwheelup onmousein onkeydown onkeyup onkeyrepeat onfocusin "
    "onfocusout";
const char* const kCustomImage =
    "width height zoomx zoomy alpha angle capturemask origwidth origheight poszoomed fliph flipv";
const char* const kCustomImages = "paused brightness index count visible playing";
const char* const kImages = "source repeat onplayend autoscrap onidle";
const char* const kListBox =
    "borderwidth bordercolor alpha fontname fontheight fontstyle linespace fontcolor fontbordercolor "
    "fontshadowcolor fontborder fontshadow fonthoverborder fonthoverbordercolor fonthovershadow "
    "fonthovershadowcolor antialias paused index count rowcount topindex text marginx marginy halign "
    "bordersourcetl bordersourcetc bordersourcetr bordersourcecl bordersourcecc bordersourcecr "
    "bordersourcebl bordersourcebc bordersourcebr borderhalignt borderhalignc borderhalignb "
    "bordervalignl bordervalignc bordervalignr scrollsource checksource onselect onmapin onmapout onidle";
const char* const kEdit = "parent left top width height offsetx offsety visible plusx plusy color fontname "
                          "fontheight fontstyle fontcolor paused onnotify text readonly handlekey";
const char* const kSlider =
    "source alpha paused capturemask thumbsource buttonsource min max value orientation "
    "smallchange barsize onnotify onhold onrelease onidle";

struct ClassCase {
    const char* Name;
    std::function<TVobeObject*(TVobeBaseList*)> Make;
    std::vector<const char*> Supported; // the parts, base class first
    const char* NoReadBack;             // supported, but a write does not read back as written
};

template <class T> TVobeObject* Make(TVobeBaseList* s) {
    return NewVobeObject<T>(s);
}
std::function<TVobeObject*(TVobeBaseList*)> Code(uint8_t code) {
    return [code](TVobeBaseList* s) { return CreateVobeObject(code, s); };
}

const std::vector<ClassCase>& Classes() {
    static const std::vector<ClassCase> classes = {
        {"TVobeComponent", Make<TVobeComponent>, {kObject}, ""},
        {"TVobeBox",
         Code(ctBox),
         {kObject, kControl, "source borderwidth bordercolor alpha paused repeat onplayend autoscrap onidle"},
         "playing"},
        {"TVobeImage",
         Make<TVobeImage>,
         {kObject, kControl, kCustomImage, "source brightness"},
         "playing origwidth origheight"},
        {"TVobeImages",
         Code(ctImages),
         {kObject, kControl, kCustomImage, kCustomImages, kImages},
         "playing origwidth origheight count"},
        {"TVobeButton",
         Code(ctButton),
         {kObject, kControl, kCustomImage, kCustomImages, kImages,
          "paused repeat onnotify hoversource pressedsource clickedsource groupindex allowallup selected "
          "onidle"},
         "playing origwidth origheight count repeat allowallup selected"},
        {"TVobeTile",
         Code(ctTile),
         {kObject, kControl, kCustomImage, kCustomImages,
          "source repeat scrollx scrolly distancex distancey onidle"},
         "playing origwidth origheight count repeat"},
        {"TVobeParticleImages",
         Make<TVobeParticleImages>,
         {kObject, kControl, kCustomImage, kCustomImages, "repeat partmotion param1 param2 param3"},
         "playing origwidth origheight count repeat"},
        {"TVobeMapImage",
         Code(ctMapImage),
         {kObject, kControl,
          "source alpha paused repeat brightness autoscrap rclickscrap hoversource mapsource onselect "
          "onmapin "
          "onmapout onidle"},
         "playing repeat"},
        {"TVobeFire",
         Code(ctFire),
         {kObject, kControl, "width height zoomx zoomy paused power origwidth origheight onidle playing"},
         "playing width height"},
        {"TVobeWave",
         Code(ctWave),
         {kObject, kControl, "left top width height delay paused amp wavelen onidle playing"},
         "playing"},
        {"TVobeParticle",
         Code(ctParticle),
         {kObject, kControl,
          "source alpha paused index partmotion param1 param2 param3 duration onidle playing"},
         "playing"},
        {"TVobeCinema",
         Code(ctCinema),
         {kObject, kControl,
          "source width height paused volume repeat index count onplayend autoscrap onidle anipaused playing "
          "rewindonload muteonload"},
         "playing index count"},
        {"TVobePrevMenu",
         Code(ctPrevMenu),
         {kObject, kControl,
          "source paused count text onplayend autoscrap rclickscrap onselect onmapin onmapout onidle"},
         "playing count text"},
        {"TVobeLabel",
         Code(ctLabel),
         {kObject, kControl,
          "source zoomx zoomy alpha fontname fontheight fontstyle linespace fontcolor antialias paused "
          "repeat "
          "angle onplayend text halign autoscrap fliph flipv onidle"},
         "playing"},
        {"TVobeCGLabel",
         Code(ctCGLabel),
         {kObject, kControl,
          "source alpha linespace paused text halign origwidth origheight maptext glyphwidth glyphheight "
          "onidle "
          "playing"},
         "playing origwidth origheight width height"},
        {"TVobeMes",
         Code(ctMes),
         {kObject, kControl,
          "width height alpha fontname fontheight linespace fontcolor fontlinkcolor fontbordercolor "
          "fonthovercolor fontshadowcolor fontborder fontshadow antialias delay paused text textpaused "
          "textdelay "
          "index count scrolly caretx carety caretheight capturelink onplaying onnotify onplaystart "
          "onplayend "
          "onlink onidle playing"},
         "playing index count caretx carety caretheight"},
        {"TVobeEdit", Code(ctEdit), {kObject, kControl, kEdit}, "playing handlekey"},
        {"TVobeMemo", Code(ctMemo), {kObject, kControl, kEdit, "halign"}, "playing handlekey"},
        {"TVobeCustomListBox",
         Make<TVobeCustomListBox>,
         {kObject, kControl, kListBox},
         "playing count topindex"},
        {"TVobeMenu",
         Code(ctMenu),
         {kObject, kControl, kListBox,
          "fonthovercolor fonthoverstyle hovercolor delay autoscrap rclickscrap onopening onopened onclosing "
          "onclosed origheight"},
         "playing count topindex origheight"},
        {"TVobeSlider", Code(ctSlider), {kObject, kControl, kSlider}, "playing value width height"},
        {"TVobeScrollbar",
         Code(ctScrollbar),
         {kObject, kControl, kSlider, "largechange"},
         "playing value width height"},
        {"TVobeGauge",
         Code(ctGauge),
         {kObject, kControl,
          "source alpha delay paused duration min max value orientation reverse barsize onidle playing"},
         "playing value width height"},
        {"TVobeVideo",
         Code(ctVideo),
         {kObject, kControl, kCustomImage,
          "source left top zoomx zoomy offsetx offsety visible plusx plusy delay paused volume repeat "
          "balance "
          "index count onplayend autoscrap onidle anipaused playing rewindonload overlay muteonload"},
         "playing origwidth origheight index count width height"},
        {"TVobeSound",
         Code(ctSound),
         {kObject,
          "source delay paused volume repeat balance index count onplayend autoscrap anipaused playing "
          "rewindonload muteonload"},
         "index count anipaused playing"},
        {"TVobeTimer", Code(ctTimer), {kObject, "delay paused onnotify autoscrap"}, ""},
        {"TVobePropMotion", Code(ctPropMotion), {kObject, "paused"}, ""},
        {"TVobeHttp", Code(ctHttp), {kObject, "source text onplayend"}, "text"},
        {"TVobeCabinet", Code(ctCabinet), {kObject, kControl, "visible"}, "playing visible"},
    };
    return classes;
}

std::set<int32_t> Ids(const std::vector<const char*>& parts) {
    std::set<int32_t> ids;
    for (const char* part : parts) {
        std::istringstream in(part);
        std::string name;
        while (in >> name) {
            const int32_t id = FindPropByName(name);
            EXPECT_GE(id, 0) << name;
            ids.insert(id);
        }
    }
    return ids;
}

std::unique_ptr<TCustomParam> Read(TVobeObject* o, int32_t id) {
    auto p = CreateParam(PropInfo(id).Value == pkInt     ? PT_INT
                         : PropInfo(id).Value == pkFlag  ? PT_BOOL
                         : PropInfo(id).Value == pkFloat ? PT_FLOAT
                                                         : PT_STR);
    GetProp(o, id, *p);
    return p;
}

// A value that differs from the current one (and survives the setters' ranges and masks).
std::unique_ptr<TCustomParam> Different(const TCustomParam& cur, int32_t id) {
    auto p = CreateParam(cur.GetParamType());
    switch (cur.GetParamType()) {
    case PT_INT: {
        const int32_t v = cur.GetAsInt();
        if (id == PR_FONTSTYLE || id == PR_FONTHOVERSTYLE)
            p->SetAsInt((v ^ 5) & 15);
        else
            p->SetAsInt(v > 100 ? v - 37 : v + 37);
        break;
    }
    case PT_BOOL: p->SetAsBool(!cur.GetAsBool()); break;
    case PT_FLOAT: p->SetAsFloat(cur.GetAsFloat() + 2.5L); break;
    default: p->SetAsStr(cur.GetAsStr() + "x"); break;
    }
    return p;
}

TEST(PropertyClasses, DefaultsTypesAndSupport) {
    for (const ClassCase& c : Classes()) {
        TVobeBaseList scene;
        scene.SetWidth(640);
        scene.SetHeight(480);
        TVobeObject* o = c.Make(&scene);
        ASSERT_NE(o, nullptr) << c.Name;
        if (auto* ctl = dynamic_cast<TVobeControl*>(o)) ctl->SetParent(scene.Base0);
        const std::set<int32_t> supported = Ids(c.Supported);
        const std::set<int32_t> noReadBack = Ids({c.NoReadBack});
        for (int32_t id = 0; id < PROP_COUNT; ++id) {
            const TPropInfo& info = PropInfo(id);
            SCOPED_TRACE(std::string(c.Name) + " " + info.Name);
            if (id == PR_PARENT || id == PR_COMPOTYPE) continue;
            auto cur = Read(o, id);
            if (supported.count(id)) {
                if (noReadBack.count(id) || info.Access != paReadWrite) continue;
                auto v = Different(*cur, id);
                SetProp(o, id, *v);
                EXPECT_EQ(Read(o, id)->GetAsStr(), v->GetAsStr());
                continue;
            }
            // Not supported: the table's default, and writes change nothing.
            switch (info.DefaultKind) {
            case pdField:
                EXPECT_EQ(cur->GetAsStr(), id == PR_PRIORITY ? std::to_string(o->Priority) : o->Tag);
                break;
            case pdWidth: EXPECT_EQ(cur->GetAsInt(), o->GetWidth()); break;
            case pdHeight: EXPECT_EQ(cur->GetAsInt(), o->GetHeight()); break;
            default:
                if (info.Value == pkString)
                    EXPECT_EQ(cur->GetAsStr(), "");
                else if (info.Value == pkFloat)
                    EXPECT_EQ(cur->GetAsFloat(), 0);
                else if (info.Value == pkFlag)
                    EXPECT_EQ(cur->GetAsBool(), info.Default != 0);
                else
                    EXPECT_EQ(cur->GetAsInt(), info.Default);
            }
            auto v = Different(*cur, id);
            if (info.Access == paWriteError) {
                EXPECT_THROW(SetProp(o, id, *v), EVobeError);
                continue;
            }
            SetProp(o, id, *v);
            EXPECT_EQ(Read(o, id)->GetAsStr(), cur->GetAsStr());
        }
    }
}

TEST(PropertyClasses, TypeCodes) {
    TVobeBaseList scene;
    const std::set<int> unassigned = {0, 1, 10};
    for (int code = 0; code < 256; ++code) {
        TVobeObject* o = CreateVobeObject(static_cast<uint8_t>(code), &scene);
        const int low = code & 0x7F;
        if (low > 27 || unassigned.count(low)) {
            EXPECT_EQ(o, nullptr) << code;
            continue;
        }
        ASSERT_NE(o, nullptr) << code;
        auto p = CreateParam(PT_INT);
        GetProp(o, PR_COMPOTYPE, *p);
        EXPECT_EQ(p->GetAsInt(), low);
        SetProp(o, PR_COMPOTYPE, *p); // read-only: ignored
    }
    // Code-0 classes and the scene itself.
    auto p = CreateParam(PT_INT);
    GetProp(NewVobeObject<TVobeImage>(&scene), PR_COMPOTYPE, *p);
    EXPECT_EQ(p->GetAsInt(), 0);
    GetProp(scene.Base0, PR_COMPOTYPE, *p);
    EXPECT_EQ(p->GetAsInt(), 0);
}

TEST(PropertyClasses, DispatcherRules) {
    TVobeBaseList scene;
    TVobeObject* box = CreateVobeObject(ctBox, &scene);
    auto i = CreateParam(PT_INT);
    auto f = CreateParam(PT_BOOL);
    auto s = CreateParam(PT_STR);
    EXPECT_THROW(GetProp(box, 162, *i), EVobeError);
    EXPECT_THROW(SetProp(box, 162, *i), EVobeError);
    EXPECT_THROW(GetProp(box, -1, *i), EVobeError);
    try {
        SetProp(box, PR_APPEARX, *i);
        FAIL();
    } catch (const EVobeError& e) {
        EXPECT_EQ(e.Message(), Utf8ToSjis("SetPropエラー"));
    }
    // PR_HANDLEKEY is a flag value read into an integer as 0 or 1.
    f->SetAsBool(true);
    SetProp(box, PR_HANDLEKEY, *f);
    GetProp(box, PR_HANDLEKEY, *i);
    EXPECT_EQ(i->GetAsInt(), 1);
    // PR_ONPLAYING is a string value: a flag reads it as true only for "TRUE".
    TVobeObject* mes = CreateVobeObject(ctMes, &scene);
    s->SetAsStr("TRUE");
    SetProp(mes, PR_ONPLAYING, *s);
    GetProp(mes, PR_ONPLAYING, *f);
    EXPECT_TRUE(f->GetAsBool());
    s->SetAsStr("page.vsb");
    SetProp(mes, PR_ONPLAYING, *s);
    GetProp(mes, PR_ONPLAYING, *f);
    EXPECT_FALSE(f->GetAsBool());
    // Font styles keep four bits.
    TVobeObject* label = CreateVobeObject(ctLabel, &scene);
    i->SetAsInt(0x1F3);
    SetProp(label, PR_FONTSTYLE, *i);
    GetProp(label, PR_FONTSTYLE, *i);
    EXPECT_EQ(i->GetAsInt(), 3);
    // The priority write clears the motion's offset; the tag is on every object.
    box->MotionPriority = 4;
    i->SetAsInt(9);
    SetProp(box, PR_PRIORITY, *i);
    EXPECT_EQ(box->MotionPriority, 0);
    s->SetAsStr("t");
    TVobeObject* timer = CreateVobeObject(ctTimer, &scene);
    SetProp(timer, PR_TAG, *s);
    EXPECT_EQ(timer->Tag, "t");
    // Non-controls have no parent.
    GetProp(timer, PR_PARENT, *s);
    EXPECT_EQ(s->GetAsStr(), "");
    // The border cells of a list box: alignments of cells 1, 4, 7 and 3, 4, 5.
    auto* list = NewVobeObject<TVobeCustomListBox>(&scene);
    i->SetAsInt(2);
    SetProp(list, PR_BORDERHALIGNB, *i);
    SetProp(list, PR_BORDERVALIGNL, *i);
    EXPECT_EQ(list->Cells[7].HAlign, 2);
    EXPECT_EQ(list->Cells[3].VAlign, 2);
    s->SetAsStr("br.vsk");
    SetProp(list, PR_BORDERSOURCEBR, *s);
    EXPECT_EQ(list->Cells[8].Source, "br.vsk");
}

TEST(PropertyClasses, EveryTypeCodePostsEvents) {
    for (int code = 2; code <= 27; ++code) {
        TVobeBaseList scene;
        scene.SetWidth(640);
        scene.SetHeight(480);
        TVobeObject* o = CreateVobeObject(static_cast<uint8_t>(code), &scene);
        if (!o) continue;
        SCOPED_TRACE(code);
        auto handler = CreateParam(PT_STR);
        handler->SetAsStr("handler.vsb");
        SetProp(o, PR_ONIDLE, *handler);
        SetProp(o, PR_ONMOUSEMOVE, *handler);
        SetProp(o, PR_ONNOTIFY, *handler);
        auto* c = dynamic_cast<TVobeControl*>(o);
        if (c) {
            c->SetParent(scene.Base0);
            c->MouseMove();
            ASSERT_EQ(scene.Events.Count(), 1);
            EXPECT_EQ(scene.Events.Items(0)->Kind, PR_ONMOUSEMOVE);
            EXPECT_EQ(scene.Events.Items(0)->Sender, o);
        }
        scene.Events.Clear();
        const bool idle = Read(o, PR_ONIDLE)->GetAsStr() == "handler.vsb";
        scene.Update(); // a property motion without a target is gone after this
        // Every class with an idle handler posts the idle event; the timer posts its notification.
        std::set<int> kinds;
        for (int32_t i = 0; i < scene.Events.Count(); ++i) kinds.insert(scene.Events.Items(i)->Kind);
        std::set<int> expected;
        if (idle) expected.insert(PR_ONIDLE);
        if (code == ctTimer) expected.insert(PR_ONNOTIFY);
        EXPECT_EQ(kinds, expected);
    }
}

TEST(PropertyClasses, VolumeMapping) {
    struct Case {
        int32_t Volume;
        bool Midi;
        int32_t Item;
    } cases[] = {{1000, false, 0}, {500, false, -2500},   {1, false, -4995},        {0, false, -10000},
                 {1001, false, 0}, {-5, false, -10000},   {500, true, -5000},       {0, true, -10000},
                 {1000, true, 0},  {INT32_MAX, false, 0}, {INT32_MIN, true, -10000}};
    for (const Case& c : cases) EXPECT_EQ(MapVolume(c.Volume, c.Midi), c.Item) << c.Volume << " " << c.Midi;
}

} // namespace
} // namespace vobe
