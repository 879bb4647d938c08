// Layered images (".vsk", signature "Vask" and a three-digit version): frames of layers, each layer a
// picture with an optional 8-bit mask, composed into one picture per frame. TVaskFrameList reads every
// version of the format and writes one-layer files of the current one.
//
// Blocks hold plain rows, rows in scrambled order, or tiles that may repeat a tile of the same picture
// or the same area of a layer read earlier (so that animation frames share pixels); they are stored
// as they are, deflated with zlib, or (colour only) as a JPEG image. Tiles of the last column and row
// are cut to the picture, and so are their stored runs: (bits x cut width + 7) div 8 bytes for each
// of their rows, bits being the storage bit count (16 for 5-5-5 pictures).
//
// Input is untrusted. A header, count, name or block that runs past the end of the data, a bit count
// the format cannot hold, a broken zlib or JPEG block, or a picture too large for the data raises
// EVobeError; a tile that refers to a frame, layer or tile not read yet stays empty, and a block whose
// content is shorter than its picture leaves the rest of the picture as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "graphics/dib_surface.h"
#include "graphics/rect.h"

namespace vobe {

class TCustomDIBX;

// The version the writer produces.
constexpr int32_t VaskCurrentVersion = 106;

class TVaskLayer {
public:
    uint8_t Visible = 1;
    // Native value of the layer's colour key; -1 = none (also after a mask block was read).
    int32_t TransparentColor = -1;
    int32_t Opacity = 255;
    uint8_t HasMask = 0;
    // Kept for listings only.
    std::string Name;
    // The frame's size and format; 24 bits of the JPEG's size after a JPEG block. With mask when the
    // file gives one.
    TDIBSurface Picture;
    // Set for a frame's only layer when the frame is an exact copy of it (an opaque copy of the same
    // size and format, with the same mask or none): the frame's picture then holds the layer's pixels,
    // and Picture stays empty.
    bool InFrame = false;
};

class TVaskFrame {
public:
    std::string Name;
    // Native value of the frame's colour key, -1 = none.
    int32_t TransparentIndex = -1;
    int32_t Delay = 100;
    // The key as a Windows colour (0x00BBGGRR), -1 = none.
    int32_t TransparentColor = -1;
    // The composed frame, with mask when the first layer gives one.
    TDIBSurface Picture;
    std::vector<TRect> DrawRects;
    std::vector<TRect> SpareRects;
    std::vector<std::unique_ptr<TVaskLayer>> Layers;

    int32_t LayerCount() const { return static_cast<int32_t>(Layers.size()); }
    TVaskLayer* Layer(int32_t i) { return Layers.at(static_cast<size_t>(i)).get(); }

    bool HasMask() const { return Picture.HasMask(); }
    // Without a mask and with a key: a mask of 255 with 0 where the picture equals the key.
    void MaskFromKey();
    // Crops picture and mask to their content (the mask's non-zero area, else the pixels other than the
    // key) and returns the rectangle kept, in the old picture's coordinates; the rectangle lists move
    // with it. A frame without mask and key, or whose content is the whole picture, stays as it is.
    TRect TrimFrame();
    // Sizes the surface to the picture at the surface's own bit count and copies the pixels in, as the
    // display shows them; the rectangle lists go with them.
    void CopyToSurface(TCustomDIBX& surface) const;
    // When the frame has a mask: sizes the surface to it at 8 bits and copies the mask rows.
    void CopyMaskToSurface(TCustomDIBX& surface) const;
};

class TVaskFrameList {
public:
    // Version of the file read (0 for a file without signature).
    int32_t Version = 0;
    // Windows colour of the background under the layers.
    int32_t BackgroundColor = 0;
    // The project's image key: the order of scrambled rows and tile tables.
    int32_t ScrambleKey = 0;
    uint8_t FirstLayerOpaque = 0;
    // Further header values of the file read (0 when the version has none), for listings.
    int32_t HeaderWidth = 0, HeaderHeight = 0, HeaderBitCount = 0;
    uint8_t Scrambled = 0, Compression = 0, JpegQuality = 0;
    int32_t TileWidth = 0, TileHeight = 0;

    explicit TVaskFrameList(int32_t key = 0) : ScrambleKey(key) {}
    TVaskFrameList(const TVaskFrameList&) = delete;
    TVaskFrameList& operator=(const TVaskFrameList&) = delete;

    // Clears the list and reads a layered image from the stream's position; with firstOnly, at most
    // one frame. On an error the frames read completely stay in the list.
    void LoadFromStream(TStream& stream, bool firstOnly);
    // By the extension of the player path: ".vsk" a layered image, ".png" a PNG (its alpha as mask,
    // its transparent colour as key), ".bmp" and ".dib" a Windows bitmap (a 32-bit one gives its fourth
    // bytes as mask and becomes 24-bit). Other extensions leave the list empty.
    void LoadFromFile(const std::string& name, bool firstOnly);
    // MaskFromKey for every frame.
    void MasksFromKey();

    int32_t Count() const { return static_cast<int32_t>(FFrames.size()); }
    TVaskFrame* Frame(int32_t i) { return FFrames.at(static_cast<size_t>(i)).get(); }
    const TVaskFrame* Frame(int32_t i) const { return FFrames.at(static_cast<size_t>(i)).get(); }
    void Clear() { FFrames.clear(); }
    // A new frame at the end: empty picture, no key, delay 100.
    TVaskFrame* AddFrame();

    // Writes the list as a file of the current version, one visible opaque layer per frame.
    // Compression 0 deflates the blocks, 1 stores them as they are, 2 stores colour as JPEG of that
    // quality and masks deflated. A nonzero ScrambleKey always stores scrambled rows uncompressed.
    void SaveToStream(TStream& stream, int32_t compression, int32_t jpegQuality) const;
    // Creates (or replaces) the file and writes it deflated.
    void SaveToFile(const std::string& name) const;

private:
    friend class TVaskReader;
    std::vector<std::unique_ptr<TVaskFrame>> FFrames;
};

// The first frame's picture of a layered image (the reader of TCustomDIBX::LoadFromStream); false
// when the stream holds no frame.
bool ReadVaskFirstFrame(TStream& stream, int32_t key, TDIBSurface& picture);

// One frame made from a PNG picture as the tools store it: 24-bit colour, with a mask from the alpha
// channel or from the transparent colour when the picture has either.
void VaskFrameFromPng(TStream& png, TVaskFrame& frame);

} // namespace vobe
