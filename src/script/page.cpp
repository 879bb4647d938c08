#include "script/page.h"

#include <algorithm>
#include <cstring>

#include "archive/file_manager.h"
#include "platform/cp932.h"
#include "platform/globals.h"
#include "platform/message_box.h"
#include "script/command_factory.h"
#include "values/param_collection.h"

namespace vobe {

TPageServices& PageServices() {
    static TPageServices services;
    return services;
}

TPage::TPage() {
    ClearMask();
}

TPage::~TPage() {
    // A page may keep a variable of its own, named by the byte 0x01 and the page name.
    if (!ParamCollection || FName.empty()) return;
    if (TParamCollectionItem* item = ParamCollection->FindItem("\x01" + FName))
        ParamCollection->DeleteItem(item);
}

void TPage::ClearMask() {
    std::memset(PropertyMask, 0, sizeof(PropertyMask));
}

bool TPage::MaskBit(int32_t kind, int32_t id) const {
    if (kind < 0 || kind >= CommandKindCount || id < 0 || id >= PropertyMaskBytes * 8) return false;
    return (PropertyMask[kind][id / 8] >> (id % 8)) & 1;
}

void TPage::SetMaskBit(int32_t kind, int32_t id, bool on) {
    if (kind < 0 || kind >= CommandKindCount || id < 0 || id >= PropertyMaskBytes * 8) return;
    uint8_t bit = static_cast<uint8_t>(1u << (id % 8));
    if (on)
        PropertyMask[kind][id / 8] |= bit;
    else
        PropertyMask[kind][id / 8] &= static_cast<uint8_t>(~bit);
}

int32_t TPage::IndexOf(const TCommand* c) const {
    for (size_t i = 0; i < FCommands.size(); ++i)
        if (FCommands[i].get() == c) return static_cast<int32_t>(i);
    return -1;
}

int32_t TPage::IndexOfLabel(const std::string& name) const {
    for (size_t i = 0; i < FCommands.size(); ++i)
        if (FCommands[i]->IsLabel(name)) return static_cast<int32_t>(i);
    return -1;
}

TCommand* TPage::Add(std::unique_ptr<TCommand> c) {
    FCommands.push_back(std::move(c));
    return FCommands.back().get();
}

void TPage::LoadFromFile(const std::string& name) {
    FCommands.clear();
    FName = name;
    TMemoryStream data;
    auto& services = PageServices();
    if (services.LoadFile)
        services.LoadFile(name, data);
    else if (FileManager)
        FileManager->LoadToStream(data, name);
    else
        throw EVobeError(name);
    data.SetPosition(0);
    LoadFromStream(data);
}

void TPage::LoadFromStream(TStream& s) {
    FCommands.clear();
    try {
        FVersion = ReadInt32(s);
        if (FVersion > PageVersion) return; // written by a newer tool: an empty page
        if (FVersion < OldestPageVersion) {
            Terminating = true;
            static const std::string caption = SJ("警告");
            static const std::string text = SJ("リビルドしてください");
            auto& services = PageServices();
            if (services.RebuildAndClose)
                services.RebuildAndClose(caption, FName + "\r\n" + text);
            else
                MessageBox(FName + "\r\n" + text, caption, MB_OK | MB_ICONWARNING);
            return;
        }
        ReadBody(s);
    } catch (const EStreamError& e) {
        FCommands.clear();
        static const std::string broken = SJ("：ページファイルが壊れています");
        throw EVobeError(FName + broken + "\r\n" + e.Message());
    } catch (...) {
        FCommands.clear();
        throw;
    }
}

void TPage::ReadBody(TStream& s) {
    ResultType = ReadByte(s);
    int32_t rows = ReadInt32(s);
    int32_t rowSize = ReadInt32(s);
    if (rows < 0 || rowSize < 0 || static_cast<int64_t>(rows) * rowSize > s.Remaining())
        throw EStreamError(SJ("プロパティマスクの大きさが不正です"));
    FMaskRows = rows;
    FMaskRowSize = rowSize;
    ClearMask();
    const int32_t used = std::min(rowSize, PropertyMaskBytes);
    const int32_t kept = std::min(rows, CommandKindCount);
    for (int32_t k = 0; k < kept; ++k) {
        s.ReadBuffer(PropertyMask[k], used);
        s.Seek(rowSize - used, soCurrent);
    }
    // Rows past the last command code carry nothing.
    s.Seek(static_cast<int64_t>(rows - kept) * rowSize, soCurrent);
    int32_t count = ReadInt32(s);
    // Each command takes at least its type byte and its ten-byte header.
    if (count < 0 || count > s.Remaining() / 11) throw EStreamError(SJ("コマンド数が不正です"));
    for (int32_t i = 0; i < count; ++i) {
        uint8_t code = ReadByte(s);
        auto c = CreateCommand(code & 0x7F, this);
        c->LoadFromStream(s);
        FCommands.push_back(std::move(c));
    }
}

void TPage::SaveToStream(TStream& s) {
    WriteInt32(s, PageVersion);
    WriteByte(s, ResultType);
    WriteInt32(s, CommandKindCount);
    WriteInt32(s, PropertyMaskBytes);
    s.WriteBuffer(PropertyMask, sizeof(PropertyMask));
    WriteInt32(s, Count());
    for (auto& c : FCommands) c->SaveToStream(s);
}

} // namespace vobe
