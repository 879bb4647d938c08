// The project's services in the running player, and the page's.
#include "archive/file_manager.h"
#include "platform/file.h"
#include "platform/globals.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "script/page.h"
#include "script/project.h"
#include "values/param_collection.h"

namespace vobe {

TProject* Project = nullptr;

namespace {

void LoadRealFile(const std::string& path, TMemoryStream& dest) {
    dest.Clear();
    dest.LoadFromFile(path);
    dest.SetPosition(0);
}

// A declared variable becomes a status variable unless the status save brought it already.
void DeclareVariable(const TDeclaredVar& v) {
    if (!ParamCollection || ParamCollection->FindItem(v.Name)) return;
    if (v.Type < 1 || v.Type > 4) return; // no value of its own: nothing to declare
    TParamCollectionItem* item = nullptr;
    try {
        item = ParamCollection->AddNamedParam(static_cast<TParamType>(v.Type), v.Name);
    } catch (const EVobeError&) {
        return; // a name the store refuses
    }
    if (!item) return;
    item->Status = true;
    switch (v.Type) {
    case 1: item->SetAsInt(v.IntValue); break;
    case 2: item->SetAsFloat(v.FloatValue); break;
    case 3: item->SetAsBool(v.BoolValue); break;
    case 4: item->SetAsStr(v.StrValue); break;
    }
}

} // namespace

TProjectServices PlayerProjectServices() {
    TProjectServices s;
    s.FileExists = [](const std::string& name) { return FileManager && FileManager->Exists(name); };
    s.LoadFile = [](const std::string& name, TMemoryStream& dest) {
        if (!FileManager) throw EVobeError(name);
        FileManager->LoadToStream(dest, name);
    };
    s.HasBaseFolder = [] { return FileManager && !FileManager->BaseFolder().empty(); };
    s.SetBaseFolder = [](const std::string& folder) {
        if (FileManager) FileManager->SetBaseFolder(folder);
    };
    s.MountArchive = [](const std::string& path) { return FileManager && FileManager->MountFile(path) >= 0; };
    s.MountedCount = [] { return FileManager ? FileManager->ArchiveCount() : 0; };
    s.RequestDisk = [](int32_t disk) { return FileManager && FileManager->RequestDisk(disk); };
    s.RealFileExists = [](const std::string& path) { return FileExists(path); };
    s.LoadRealFile = LoadRealFile;
    s.ExeFolder = [] { return ExeFolder(); };
    s.CDRoots = [] { return FileManager ? FileManager->CdRoots() : std::vector<std::string>(); };
    s.MessageBox = [](const std::string& text, const std::string& caption, TBoxKind kind) {
        uint32_t flags = MB_OK | MB_ICONINFORMATION;
        int headless = 0;
        switch (kind) {
        case bkWarning: flags = MB_OK | MB_ICONWARNING; break;
        case bkInformation: break;
        case bkOkCancelInformation: flags = MB_OKCANCEL | MB_ICONINFORMATION; break;
        case bkQuitQuestion:
            flags = MB_OKCANCEL | MB_ICONINFORMATION;
            headless = IDOK;
            break;
        }
        return MessageBox(text, caption, flags, headless) == IDOK ? baOk : baCancel;
    };
    s.DeclareVariable = DeclareVariable;
    return s;
}

} // namespace vobe
