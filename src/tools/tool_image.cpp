// vobetool image info|topng|frompng: layered images listed, shown as PNG and made from PNG.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/png_writer.h"
#include "graphics/vask_image.h"
#include "platform/cp932.h"
#include "platform/paths.h"
#include "tools/commands.h"

namespace vobe::tool {

namespace {

constexpr const char* Usage =
    "usage: vobetool image info [--key N] FILE\n"
    "       vobetool image topng [--key N] FILE OUT.png [FRAME]\n"
    "       vobetool image frompng [--key N] [--compression zlib|none|jpeg] [--quality Q] "
    "IN.png OUT";

struct TOptions {
    int32_t Key = 0;
    int32_t Compression = 0;
    int32_t Quality = 70;
    std::vector<std::string> Files;
};

bool ParseNumber(const std::string& s, int64_t lo, int64_t hi, int64_t& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    v = std::strtoll(s.c_str(), &end, 10);
    return errno == 0 && *end == 0 && v >= lo && v <= hi;
}

// Options first or anywhere; the rest are the files (and the frame number).
bool ParseOptions(const Args& args, bool writing, TOptions& o) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        int64_t v;
        if (a == "--key" && hasValue) {
            // The project's key: any 32-bit value, signed or not.
            if (!ParseNumber(args[++i], INT32_MIN, UINT32_MAX, v)) return false;
            o.Key = static_cast<int32_t>(static_cast<uint32_t>(v));
        } else if (writing && a == "--compression" && hasValue) {
            const std::string& c = args[++i];
            if (c == "zlib")
                o.Compression = 0;
            else if (c == "none")
                o.Compression = 1;
            else if (c == "jpeg")
                o.Compression = 2;
            else
                return false;
        } else if (writing && a == "--quality" && hasValue) {
            if (!ParseNumber(args[++i], 1, 100, v)) return false;
            o.Quality = static_cast<int32_t>(v);
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            return false;
        } else {
            o.Files.push_back(a);
        }
    }
    return true;
}

// A layered image from a file; PNG and bitmap files by their extension, as the player's list reads
// them.
void LoadList(const std::string& file, TVaskFrameList& list) {
    const std::string path = PlayerPath(file);
    const std::string ext = AnsiLowerCase(ExtractFileExt(path));
    if (ext == ".png" || ext == ".bmp" || ext == ".dib") {
        list.LoadFromFile(path, false);
        return;
    }
    TMemoryStream data;
    data.LoadFromFile(path);
    data.SetPosition(0);
    list.LoadFromStream(data, false);
}

std::string Hex(uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "%08" PRIx32, v);
    return b;
}

std::string Size(const TDIBSurface& p) {
    return std::to_string(p.Width()) + "x" + std::to_string(p.Height());
}

std::string RectText(const TRect& r) {
    return std::to_string(r.Left) + "\t" + std::to_string(r.Top) + "\t" + std::to_string(r.Right) + "\t" +
           std::to_string(r.Bottom);
}

int Info(const TOptions& o) {
    if (o.Files.size() != 1) return Fail(Usage);
    TVaskFrameList list(o.Key);
    LoadList(o.Files[0], list);
    std::string out;
    auto line = [&](const std::string& s) { out += s + "\n"; };
    line("version\t" + std::to_string(list.Version));
    if (list.Version >= 103) {
        line("header\t" + std::to_string(list.HeaderWidth) + "\t" + std::to_string(list.HeaderHeight) + "\t" +
             std::to_string(list.HeaderBitCount));
        line("compression\t" + std::to_string(list.Compression));
        line("scrambled\t" + std::to_string(list.Scrambled));
        line("tiles\t" + std::to_string(list.TileWidth) + "\t" + std::to_string(list.TileHeight));
        line("quality\t" + std::to_string(list.JpegQuality));
    }
    line("background\t" + Hex(static_cast<uint32_t>(list.BackgroundColor)));
    line("firstlayeropaque\t" + std::to_string(list.FirstLayerOpaque));
    line("frames\t" + std::to_string(list.Count()));
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TVaskFrame& f = *list.Frame(i);
        const std::string n = std::to_string(i);
        line("frame\t" + n + "\tname=" + SjisToUtf8(f.Name) + "\tsize=" + Size(f.Picture) +
             "\tbits=" + std::to_string(f.Picture.LogicalBitCount()) + "\tdelay=" + std::to_string(f.Delay) +
             "\tkey=" + std::to_string(f.TransparentIndex) + "\tmask=" + (f.HasMask() ? "1" : "0") +
             "\tlayers=" + std::to_string(f.LayerCount()));
        for (const TRect& r : f.DrawRects) line("drawrect\t" + n + "\t" + RectText(r));
        for (const TRect& r : f.SpareRects) line("sparerect\t" + n + "\t" + RectText(r));
        for (int32_t k = 0; k < f.LayerCount(); ++k) {
            const TVaskLayer& l = *f.Layers[static_cast<size_t>(k)];
            // A layer the frame took over whole has its pixels in the frame's picture.
            const TDIBSurface& pic = l.InFrame ? f.Picture : l.Picture;
            line("layer\t" + n + "\t" + std::to_string(k) + "\tname=" + SjisToUtf8(l.Name) +
                 "\tvisible=" + std::to_string(l.Visible) + "\tkey=" + std::to_string(l.TransparentColor) +
                 "\topacity=" + std::to_string(l.Opacity) + "\thasmask=" + std::to_string(l.HasMask) +
                 "\tmask=" + (pic.HasMask() ? "1" : "0") + "\tsize=" + Size(pic) +
                 "\tbits=" + std::to_string(pic.LogicalBitCount()));
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int ToPng(const TOptions& o) {
    if (o.Files.size() != 2 && o.Files.size() != 3) return Fail(Usage);
    int64_t index = 0;
    if (o.Files.size() == 3 && !ParseNumber(o.Files[2], 0, INT32_MAX, index)) return Fail(Usage);
    TVaskFrameList list(o.Key);
    LoadList(o.Files[0], list);
    if (index >= list.Count())
        return Fail("frame " + std::to_string(index) + " does not exist (" + std::to_string(list.Count()) +
                    " frames)");
    const TVaskFrame& f = *list.Frame(static_cast<int32_t>(index));
    if (f.Picture.Empty()) return Fail("frame " + std::to_string(index) + " is empty");
    // As a 32-bit display shows it, the mask as alpha.
    TDIBX shown;
    shown.SetSize(1, 1, 32);
    f.CopyToSurface(shown);
    const int32_t w = shown.Width(), h = shown.Height();
    const TDIBSurface* mask = f.Picture.Mask();
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int32_t y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(shown.DIB()->ScanLine(y));
        const uint8_t* m = mask ? mask->ScanLine(y) : nullptr;
        uint8_t* p = rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 4;
        for (int32_t x = 0; x < w; ++x, p += 4) {
            p[0] = static_cast<uint8_t>(row[x] >> 16);
            p[1] = static_cast<uint8_t>(row[x] >> 8);
            p[2] = static_cast<uint8_t>(row[x]);
            p[3] = m ? m[x] : 255;
        }
    }
    TMemoryStream png;
    const std::vector<uint8_t> bytes = EncodePngRgba(rgba.data(), w, h);
    png.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    png.SaveToFile(PlayerPath(o.Files[1]));
    return 0;
}

int FromPng(const TOptions& o) {
    if (o.Files.size() != 2) return Fail(Usage);
    TMemoryStream in;
    in.LoadFromFile(PlayerPath(o.Files[0]));
    in.SetPosition(0);
    TVaskFrameList list(o.Key);
    VaskFrameFromPng(in, *list.AddFrame());
    TMemoryStream out;
    list.SaveToStream(out, o.Compression, o.Quality);
    out.SaveToFile(PlayerPath(o.Files[1]));
    return 0;
}

} // namespace

int ImageCommand(const Args& args) {
    if (args.empty()) return Fail(Usage);
    const std::string& cmd = args[0];
    TOptions o;
    if (!ParseOptions(args, cmd == "frompng", o)) return Fail(Usage);
    if (cmd == "info") return Info(o);
    if (cmd == "topng") return ToPng(o);
    if (cmd == "frompng") return FromPng(o);
    return Fail(Usage);
}

} // namespace vobe::tool
