// The interpreter's game-save record: any bytes are refused with the player's error or read; an
// interpreter that read them runs a few frames over two small pages without crashing or hanging, and
// writes its record again. The first byte picks the save version (110-141: both sides of 116).
#include <cstddef>
#include <cstdint>

#include "archive/stream.h"
#include "framework/timer_list.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_timer.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "script/call_man.h"
#include "script/flow_commands.h"
#include "script/object_commands.h"
#include "script/page.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"

namespace {

using namespace vobe;

TExprPtr Compile(const char* text) {
    auto e = std::make_unique<TVobeParser>();
    CompileExpression(text, *e);
    return e;
}

// main.vsb and sub.vsb: straight pages (no loops), so that every run ends.
std::vector<uint8_t> PageBytes(uint8_t resultType) {
    TPage page;
    page.ResultType = resultType;
    auto calc = std::make_unique<TComCalc>(&page);
    calc->FExpr = Compile("x = x + 1");
    auto wait = std::make_unique<TComWait>(&page);
    wait->FTime = Compile("32");
    auto label = std::make_unique<TComLabel>(&page);
    label->FName.assign(1, 'l'); // (assigning a short literal trips a false -Wrestrict of gcc 12)
    auto exit = std::make_unique<TComExit>(&page);
    exit->FCond = Compile("x > 3");
    auto doevent = std::make_unique<TComDoEvent>(&page);
    for (TCommand* c : {page.Add(std::move(calc)), page.Add(std::move(wait)), page.Add(std::move(label)),
                        page.Add(std::move(exit)), page.Add(std::move(doevent))})
        c->FContinue = 1;
    TMemoryStream s;
    page.SaveToStream(s);
    return s.Bytes();
}

class TFuzzScene : public ICallScene {
public:
    TVobeBaseList Scene;
    TTimerList* Events() override { return &Scene.Events; }
    TVobeObject* FindComponent(const std::string& name) override {
        return name.empty() ? nullptr : Scene.FindComponent(name);
    }
    bool Contains(const TVobeObject* o) override { return o && Scene.IndexOfObject(o) >= 0; }
    void Reset() override { Scene.Reset(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const std::vector<uint8_t> main = PageBytes(0), sub = PageBytes(1);
    CreateParamCollection();
    ParamCollection->AddNamedParam(PT_INT, "x");
    PageServices().LoadFile = [](const std::string& name, TMemoryStream& dest) {
        const std::vector<uint8_t>* b = name == "main.vsb" ? &main : name == "sub.vsb" ? &sub : nullptr;
        if (!b) throw EVobeError("no page " + name);
        dest.Clear();
        dest.WriteBuffer(b->data(), static_cast<int64_t>(b->size()));
    };
    Terminating = false;
    FrameDelta = 16;
    {
        TFuzzScene scene;
        TVobeTimer* sender = NewVobeObject<TVobeTimer>(&scene.Scene);
        sender->SetName("btn");
        TCallManServices services;
        services.FileAvailable = [](const std::string& name) {
            return name == "main.vsb" || name == "sub.vsb";
        };
        TCallMan man(services, &scene);
        TReadOnlyMemoryStream s(data + 1, static_cast<int64_t>(size - 1));
        bool loaded = false;
        try {
            man.LoadFromStream(s, 110 + data[0] % 32);
            loaded = true;
        } catch (const EVobeError&) {
        }
        if (loaded) {
            scene.Scene.Events.Post(sender, "sub.vsb:l", {"a"}, 33);
            for (int frame = 0; frame < 6; ++frame) {
                GameClock += 16;
                try {
                    man.RunFrame();
                } catch (const EVobeError&) {
                    // A frame returning into a page that cannot be read raises the loader's error.
                }
            }
            TMemoryStream out;
            man.SaveToStream(out);
        }
    }
    PageServices() = TPageServices();
    FreeParamCollection();
    return 0;
}
