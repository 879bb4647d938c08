// Text input: the one-line edit box and the multi-line memo, each a native edit control of the
// window placed over the drawing panel. The control keeps the editor's properties.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeEdit : public TVobeControl {
public:
    explicit TVobeEdit(TVobeBaseList* owner);

    std::string NotifyHandler;
    // The properties of the native editor.
    std::string Text;
    std::string FontName; // "ＭＳ Ｐゴシック"
    int32_t FontHeight = 12;
    uint8_t FontStyle = 0;
    int32_t FontColor = 0;
    bool ReadOnly = false;
    bool Paused = false; // the editor is disabled while paused

    uint8_t GetCompoType() override { return ctEdit; }

    // Every change of the placement moves the native editor.
    void SetParentName(const std::string& name) override;
    void SetLeft(int32_t v) override;
    void SetTop(int32_t v) override;
    void SetWidth(int32_t v) override;
    void SetHeight(int32_t v) override;
    void SetOffsetX(int32_t v) override;
    void SetOffsetY(int32_t v) override;
    void SetVisible(bool v) override;
    void SetPlusX(int32_t v) override;
    void SetPlusY(int32_t v) override;
    VOBE_FIELD_PROPERTY(Int, Color, Color)
    VOBE_FIELD_PROPERTY(Str, FontName, FontName)
    int32_t GetFontHeight() override { return FontHeight < 0 ? -FontHeight : FontHeight; }
    void SetFontHeight(int32_t v) override { FontHeight = v; }
    VOBE_FIELD_PROPERTY(Int, FontStyle, FontStyle)
    VOBE_FIELD_PROPERTY(Int, FontColor, FontColor)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    VOBE_FIELD_PROPERTY(Str, OnNotify, NotifyHandler)
    VOBE_FIELD_PROPERTY(Str, Text, Text)
    VOBE_FIELD_PROPERTY(Flag, ReadOnly, ReadOnly)
    // An edit box always takes keys.
    bool GetHandleKey() override { return true; }

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Places the native editor over the control (the window's editor arrives with the shell).
    virtual void PlaceEditor() {}
    void SaveEditor(TStream& s);
    void LoadEditor(TStream& s);
    virtual void SaveAlign(TStream&) {}
    virtual void LoadAlign(TStream&) {}
};

class TVobeMemo : public TVobeEdit {
public:
    using TVobeEdit::TVobeEdit;

    uint8_t HAlign = 0; // 0 left, 1 right, 2 centre (the toolkit's order)

    uint8_t GetCompoType() override { return ctMemo; }
    VOBE_FIELD_PROPERTY(Int, HAlign, HAlign)

protected:
    void SaveAlign(TStream& s) override;
    void LoadAlign(TStream& s) override;
};

} // namespace vobe
