#include "script/command_factory.h"

#include "platform/cp932.h"
#include "script/flow_commands.h"
#include "script/object_commands.h"

namespace vobe {

namespace {

template <class T> std::unique_ptr<TCommand> Make(TPage* page) {
    return std::make_unique<T>(page);
}

using TMaker = std::unique_ptr<TCommand> (*)(TPage*);

struct TKindEntry {
    const char* Name;
    TMaker Maker;
};

// Indexed by type code.
const TKindEntry Kinds[CommandKindCount] = {
    {"TComIf", Make<TComIf>},
    {"TComElseif", Make<TComElseif>},
    {"TComElse", Make<TComElse>},
    {"TComLabel", Make<TComLabel>},
    {"TComJump", Make<TComJump>},
    {"TComCall", Make<TComCall>},
    {"TComExit", Make<TComExit>},
    {"TComWait", Make<TComWait>},
    {"TComBoxNew", Make<TComBoxNew>},
    {"TComImgNew", Make<TComImgNew>},
    {"TComMesNew", Make<TComMesNew>},
    {"TComTimer", Make<TComTimer>},
    {"TComMovie", Make<TComMovie>},
    {"TComFlip", Make<TComFlip>},
    {"TComCalc", Make<TComCalc>},
    {"TComVarNew", Make<TComVarNew>},
    {"TComVarDel", Make<TComVarDel>},
    {"TComGetProp", Make<TComGetProp>},
    {"TComSetProp", Make<TComSetProp>},
    {"TComObjDel", Make<TComObjDel>},
    {"TComTextIns", Make<TComTextIns>},
    {"TComMovieStop", Make<TComMovieStop>},
    {"TComClrHist", Make<TComClrHist>},
    {"TComCinema", Make<TComCinema>},
    {"TComCaption", Make<TComCaption>},
    {"TComMenu", Make<TComMenu>},
    {"TComMenuClose", Make<TComMenuClose>},
    {"TComComment", Make<TComComment>},
    {"TComTextClr", Make<TComTextClr>},
    {"TComCallHist", Make<TComCallHist>},
    {"TComBtnNew", Make<TComBtnNew>},
    {"TComWhile", Make<TComWhile>},
    {"TComWhileInit", Make<TComWhileInit>},
    {"TComWhileLoop", Make<TComWhileLoop>},
    {"TComBreak", Make<TComBreak>},
    {"TComContinue", Make<TComContinue>},
    {"TComParticleNew", Make<TComParticleNew>},
    {"TComFireNew", Make<TComFireNew>},
    {"TComGameSave", Make<TComGameSave>},
    {"TComGameLoad", Make<TComGameLoad>},
    {"TComPCReset", Make<TComPCReset>},
    {"TComReset", Make<TComReset>},
    {"TComSound", Make<TComSound>},
    {"TComEditNew", Make<TComEditNew>},
    {"TComMemoNew", Make<TComMemoNew>},
    {"TComTerminate", Make<TComTerminate>},
    {"TComDoEvent", Make<TComDoEvent>},
    {"TComClrRead", Make<TComClrRead>},
    {"TComMapImgNew", Make<TComMapImgNew>},
    {"TComWaveNew", Make<TComWaveNew>},
    {"TComTileNew", Make<TComTileNew>},
    {"TComSliderNew", Make<TComSliderNew>},
    {"TComScrollbarNew", Make<TComScrollbarNew>},
    {"TComGaugeNew", Make<TComGaugeNew>},
    {"TComCGCaption", Make<TComCGCaption>},
    {"TComMediaPlay", Make<TComMediaPlay>},
    {"TComPrevMenuNew", Make<TComPrevMenuNew>},
    {"TComPropMotion", Make<TComPropMotion>},
    {"TComEntryHist", Make<TComEntryHist>},
    {"TComCabinetSave", Make<TComCabinetSave>},
    {"TComCabinetLoad", Make<TComCabinetLoad>},
};

} // namespace

std::unique_ptr<TCommand> CreateCommand(int32_t code, TPage* page) {
    if (code < 0 || code >= CommandKindCount) {
        static const std::string msg = SJ("不正なコマンド");
        throw EVobeError(msg);
    }
    return Kinds[code].Maker(page);
}

const char* CommandClassName(int32_t kind) {
    return kind >= 0 && kind < CommandKindCount ? Kinds[kind].Name : "";
}

} // namespace vobe
