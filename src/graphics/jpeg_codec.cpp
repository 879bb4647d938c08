#include "graphics/jpeg_codec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

namespace {

// Progressive images may hold any number of scans; a damaged one could make decoding crawl.
constexpr int MaxScans = 1000;

enum TJpegFault { jfNone, jfData, jfTruncated, jfScans };

struct TJpegError {
    jpeg_error_mgr Pub;
    jmp_buf Jump;
    TJpegFault Fault;
};

// libjpeg reports faults through these; they leave by longjmp to the step that set the jump, which
// holds nothing that needs destroying.
void ErrorExit(j_common_ptr c) {
    auto* e = reinterpret_cast<TJpegError*>(c->err);
    if (e->Fault == jfNone) e->Fault = jfData;
    longjmp(e->Jump, 1);
}

void EmitMessage(j_common_ptr c, int level) {
    // A premature end of the data is a fault of the file; other warnings are not.
    if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<TJpegError*>(c->err)->Fault = jfTruncated;
        ErrorExit(c);
    }
}

void OutputMessage(j_common_ptr) {}

void Progress(j_common_ptr c) {
    if (!c->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > MaxScans) {
        reinterpret_cast<TJpegError*>(c->err)->Fault = jfScans;
        ErrorExit(c);
    }
}

void InitError(TJpegError& e) {
    jpeg_std_error(&e.Pub);
    e.Pub.error_exit = ErrorExit;
    e.Pub.emit_message = EmitMessage;
    e.Pub.output_message = OutputMessage;
    e.Fault = jfNone;
}

struct TDecoder {
    jpeg_decompress_struct Info;
    TJpegError Err;
    jpeg_progress_mgr Prog;
    bool Created = false;
    TDecoder() {
        std::memset(&Info, 0, sizeof Info);
        InitError(Err);
        std::memset(&Prog, 0, sizeof Prog);
        Prog.progress_monitor = Progress;
    }
    ~TDecoder() {
        if (Created) jpeg_destroy_decompress(&Info);
    }
};

bool ReadHeader(TDecoder& d, const uint8_t* data, size_t size) {
    d.Info.err = &d.Err.Pub;
    if (setjmp(d.Err.Jump)) return false;
    jpeg_create_decompress(&d.Info);
    d.Created = true;
    d.Info.progress = &d.Prog;
    jpeg_mem_src(&d.Info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d.Info, TRUE) != JPEG_HEADER_OK) return false;
    return true;
}

bool ReadRows(TDecoder& d, TDIBSurface& picture) {
    if (setjmp(d.Err.Jump)) return false;
    d.Info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d.Info);
    if (d.Info.output_width != static_cast<JDIMENSION>(picture.Width()) ||
        d.Info.output_height != static_cast<JDIMENSION>(picture.Height()) || d.Info.output_components != 3)
        return false;
    JSAMPROW rows[16];
    while (d.Info.output_scanline < d.Info.output_height) {
        const JDIMENSION first = d.Info.output_scanline;
        const JDIMENSION n = std::min<JDIMENSION>(16, d.Info.output_height - first);
        for (JDIMENSION i = 0; i < n; ++i) rows[i] = picture.ScanLine(static_cast<int32_t>(first + i));
        if (jpeg_read_scanlines(&d.Info, rows, n) == 0) return false;
    }
    return true;
}

[[noreturn]] void Fail(TJpegFault f) {
    switch (f) {
    case jfTruncated: throw EVobeError(SJ("JPEG データが途中で終わっています"));
    case jfScans: throw EVobeError(SJ("JPEG データのスキャンが多すぎます"));
    default: throw EVobeError(SJ("JPEG データが壊れています"));
    }
}

struct TEncoder {
    jpeg_compress_struct Info;
    TJpegError Err;
    unsigned char* Out = nullptr;
    unsigned long OutSize = 0;
    bool Created = false;
    TEncoder() {
        std::memset(&Info, 0, sizeof Info);
        InitError(Err);
    }
    ~TEncoder() {
        if (Created) jpeg_destroy_compress(&Info);
        std::free(Out);
    }
};

bool WriteRows(TEncoder& e, const TDIBSurface& rgb, int quality) {
    e.Info.err = &e.Err.Pub;
    if (setjmp(e.Err.Jump)) return false;
    jpeg_create_compress(&e.Info);
    e.Created = true;
    jpeg_mem_dest(&e.Info, &e.Out, &e.OutSize);
    e.Info.image_width = static_cast<JDIMENSION>(rgb.Width());
    e.Info.image_height = static_cast<JDIMENSION>(rgb.Height());
    e.Info.input_components = 3;
    e.Info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&e.Info);
    jpeg_set_quality(&e.Info, quality, TRUE);
    jpeg_start_compress(&e.Info, TRUE);
    while (e.Info.next_scanline < e.Info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.ScanLine(static_cast<int32_t>(e.Info.next_scanline)));
        jpeg_write_scanlines(&e.Info, &row, 1);
    }
    jpeg_finish_compress(&e.Info);
    return true;
}

} // namespace

void DecodeJpeg(const uint8_t* data, size_t size, TDIBSurface& picture, int64_t maxPixels) {
    if (!data || size == 0) Fail(jfTruncated);
    TDecoder d;
    if (!ReadHeader(d, data, size)) Fail(d.Err.Fault == jfNone ? jfData : d.Err.Fault);
    if (d.Info.jpeg_color_space == JCS_CMYK || d.Info.jpeg_color_space == JCS_YCCK)
        throw EVobeError(SJ("CMYK の JPEG データには対応していません"));
    const int64_t w = d.Info.image_width, h = d.Info.image_height;
    if (w > MaxBitmapSide || h > MaxBitmapSide || w * h > maxPixels)
        throw EVobeError(SJ("JPEG 画像が大きすぎます"));
    picture.DropMask();
    picture.SetSize(static_cast<int32_t>(w), static_cast<int32_t>(h), 24);
    if (w == 0 || h == 0) return;
    if (!ReadRows(d, picture)) Fail(d.Err.Fault == jfNone ? jfData : d.Err.Fault);
}

std::vector<uint8_t> EncodeJpeg(const TDIBSurface& picture, int32_t quality) {
    if (picture.Empty()) throw EVobeError(SJ("空の画像は JPEG にできません"));
    TDIBSurface converted;
    const TDIBSurface* rgb = &picture;
    if (picture.LogicalBitCount() != 24) {
        converted.SetSize(picture.Width(), picture.Height(), 24);
        converted.ConvertFrom(picture);
        rgb = &converted;
    }
    TEncoder e;
    if (!WriteRows(e, *rgb, std::clamp(quality, 1, 100)) || !e.Out)
        throw EVobeError(SJ("JPEG データを作れません"));
    return std::vector<uint8_t>(e.Out, e.Out + e.OutSize);
}

} // namespace vobe
