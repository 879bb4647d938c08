// Start-up and shut-down of the component framework, the drawing panel the scene is shown on, and
// what the layers above lend the scene (the picture cache, the sound managers, the transitions, the
// text history and read flags), registered before VobeInitialize.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/containers.h"

namespace vobe {

class TCustomDIBX;
class TDIBX;
class TSceneWipe;

// The window's drawing panel as the scene sees it: the display surface, the pointer and the cursor.
class TBasePanel {
public:
    virtual ~TBasePanel() = default;
    // The display surface (null while the display is released or not made yet).
    virtual TCustomDIBX* GetDisplaySurface() = 0;
    // Pixel depth of the display, 32 when there is none.
    virtual int32_t DisplayDepth() = 0;
    // The pointer in panel coordinates.
    virtual TPoint GetCursorPos() = 0;
    // Moves the pointer to a panel coordinate; the other coordinate stays.
    virtual void MoveCursorX(int32_t) {}
    virtual void MoveCursorY(int32_t) {}
    // Loads the cursor file (a game file name) as the panel's custom cursor.
    virtual void LoadCustomCursor(const std::string&) {}
    // Shows the custom cursor (true) or the default one.
    virtual void ShowCustomCursor(bool) {}
};

// The framework's panel between VobeInitialize and VobeFinalize.
extern TBasePanel* BasePanel;
// The pixel depth of the panel's display, 32 without a panel.
int32_t PanelBitCount();

struct TFrameworkHooks {
    // The process-wide objects of the components, created by VobeInitialize after the scene and freed
    // by VobeFinalize in the fixed order.
    std::function<void()> CreateTextHistory, FreeTextHistory;
    std::function<void()> CreateTextRead, FreeTextRead;
    std::function<void()> CreateVaskMan, FreeVaskMan;
    // The picture cache: its dither switch, and dropping and reloading its pictures around a display
    // change.
    std::function<bool()> GetDither;
    std::function<void(bool)> SetDither;
    std::function<void()> ReleasePictures, RestorePictures;
    // The sound switch passed to the media managers that exist.
    std::function<void(bool)> SetSoundOn;
    // A transition of that kind from `oldImage` to `newImage` composed into `target`; null for a kind
    // without one.
    std::function<std::unique_ptr<TSceneWipe>(int32_t kind, TCustomDIBX* target, TCustomDIBX* oldImage,
                                              TCustomDIBX* newImage)>
        CreateWipe;
};

extern TFrameworkHooks FrameworkHooks;

// Process-wide surfaces of the framework: the dither pattern over marked controls (2 x 2) and the
// chequered background of transparent pictures (32 x 32).
extern TDIBX* SelRectDIB;
extern TDIBX* TransBGDIB;

// Remembers the panel, creates Bases and the process-wide objects, the two pattern surfaces and the
// colour tables of the display depth.
void VobeInitialize(TBasePanel* panel);
// Frees them in the fixed order; each step is traced first.
void VobeFinalize();

} // namespace vobe
