#include "platform/image_decoder.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

// jpeglib.h needs the standard I/O declarations first.
#include <jpeglib.h>
// After jpeglib.h: the library's message codes.
#include <jerror.h>

#include "platform/host_path.h"

namespace plat {
namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// A progressive JPEG may hold any number of scans; a few hundred are more than any image
// needs, and a hostile file with thousands would only burn time.
constexpr int kMaxJpegScans = 500;
// The JPEG library's own memory. A progressive image keeps every coefficient of the whole
// image (two bytes a sample of each component) until its last scan, so a small hostile file
// just under the decoded limit could make it ask for some 400 MB more: it may use no more
// than the largest image accepted, and an image that needs more fails the load. A
// progressive image without chroma subsampling needs some 6 bytes a pixel, so such images
// above about 44 million pixels are refused; baseline ones, decoded a strip at a time, load
// up to the limit of 64 million.
constexpr long kMaxJpegWorkBytes = static_cast<long>(kMaxImageBytes);
// The largest file worth reading: the largest decodable bitmap and its headers.
constexpr long kMaxImageFileBytes = static_cast<long>(kMaxImageBytes) + (1L << 20);

bool Fail(DecodedImage& out, std::string* why, const char* reason) {
    out = DecodedImage{};
    if (why) *why = reason;
    return false;
}

bool IsPng(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, 8) == 0;
}

bool IsJpeg(const std::uint8_t* data, std::size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool IsBmp(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegFail(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

void JpegProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
        auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
        std::snprintf(errors->message, sizeof errors->message, "too many scans");
        std::longjmp(errors->jump, 1);
    }
}

// The library reports errors by a long jump back here: nothing in this function's frame
// needs destroying, and the pixels live in the caller's object.
bool JpegInto(const std::uint8_t* data, std::size_t size, DecodedImage* out, const char** reason) {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JpegFail;
    errors.pub.emit_message = JpegQuiet;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        // Past the memory cap the library would go to a backing store, which it has none of.
        const bool memory = errors.pub.msg_code == JERR_NO_BACKING_STORE ||
                            errors.pub.msg_code == JERR_OUT_OF_MEMORY;
        jpeg_destroy_decompress(&cinfo);
        *reason = memory ? "JPEG image needs too much memory" : "damaged JPEG data";
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxJpegWorkBytes;
    progress.progress_monitor = JpegProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!ImageSizeAllowed(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        *reason = "image too large or empty";
        return false;
    }
    if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
        cinfo.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&cinfo);
        *reason = "unsupported JPEG colour space";
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
    if (cinfo.output_components != 3 || !ImageSizeAllowed(w, h)) {
        jpeg_destroy_decompress(&cinfo);
        *reason = "unexpected JPEG output";
        return false;
    }
    bool allocated = true;
    try {
        out->argb.assign(static_cast<std::size_t>(w) * h, 0xFF000000u);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        jpeg_destroy_decompress(&cinfo);
        *reason = "out of memory";
        return false;
    }
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(w) * 3, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
        std::uint32_t* d = &out->argb[static_cast<std::size_t>(y) * w];
        const JSAMPLE* s = row[0];
        for (int x = 0; x < w; ++x, s += 3)
            d[x] = 0xFF000000u | std::uint32_t{s[0]} << 16 | std::uint32_t{s[1]} << 8 | s[2];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out->width = w;
    out->height = h;
    out->bitCount = 24;
    return true;
}

}  // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why) {
    out = DecodedImage{};
    if (!data || !IsPng(data, size)) return Fail(out, why, "not a PNG file");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return Fail(out, why, "damaged PNG header");
    if (!ImageSizeAllowed(image.width, image.height)) {
        png_image_free(&image);
        return Fail(out, why, "image too large or empty");
    }
    image.format = PNG_FORMAT_BGRA;
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    try {
        out.argb.assign(count, 0);
    } catch (const std::bad_alloc&) {
        png_image_free(&image);
        return Fail(out, why, "out of memory");
    }
    // Blue, green, red, alpha bytes are an A8R8G8B8 value on a little-endian machine.
    if (!png_image_finish_read(&image, nullptr, out.argb.data(), 0, nullptr)) {
        png_image_free(&image);
        return Fail(out, why, "damaged PNG data");
    }
    if constexpr (std::endian::native == std::endian::big) {
        for (std::uint32_t& v : out.argb) v = __builtin_bswap32(v);
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.bitCount = 32;
    return true;
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why) {
    out = DecodedImage{};
    if (!data || !IsJpeg(data, size)) return Fail(out, why, "not a JPEG file");
    const char* reason = nullptr;
    if (!JpegInto(data, size, &out, &reason)) return Fail(out, why, reason);
    return true;
}

bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why) {
    if (data && IsBmp(data, size)) return DecodeBmp(data, size, out, why);
    if (data && IsPng(data, size)) return DecodePng(data, size, out, why);
    if (data && IsJpeg(data, size)) return DecodeJpeg(data, size, out, why);
    return Fail(out, why, "unknown image format");
}

bool LoadImageFile(std::string_view path, bool bitmapOnly, DecodedImage& out, std::string* why) {
    out = DecodedImage{};
    std::FILE* f = path.empty() ? nullptr : FileOpen(path, "rb");
    if (!f) return Fail(out, why, "cannot open the file");
    std::vector<std::uint8_t> bytes;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    if (length < 0 || length > kMaxImageFileBytes || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return Fail(out, why, length > kMaxImageFileBytes ? "file too large" : "cannot read");
    }
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        std::fclose(f);
        return Fail(out, why, "out of memory");
    }
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (got != bytes.size()) return Fail(out, why, "cannot read");
    if (bitmapOnly) return DecodeBmp(bytes.data(), bytes.size(), out, why);
    return DecodeImage(bytes.data(), bytes.size(), out, why);
}

}  // namespace plat
