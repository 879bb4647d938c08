// The web-fetch component: downloads one document on a background thread and posts its play-end
// event when the download has ended.
#pragma once

#include "archive/stream.h"
#include "framework/vobe_object.h"

namespace vobe {

class TVobeHttp : public TVobeComponent {
public:
    using TVobeComponent::TVobeComponent;

    std::string Url;    // the client's URL
    TMemoryStream Data; // the document received
    std::string PlayEndHandler;

    uint8_t GetCompoType() override { return ctHttp; }

    std::string GetSource() override { return Url; }
    void SetSource(const std::string& v) override;
    // The document converted from EUC-JP, its lines joined with the byte 0x01.
    std::string GetText() override;
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)

    // Only the object part is saved: a loaded web fetch is idle and empty.
    void SaveToStream(TStream& s) override { TVobeObject::SaveToStream(s); }
    void LoadFromStream(TStream& s, int32_t version) override { TVobeObject::LoadFromStream(s, version); }
};

} // namespace vobe
