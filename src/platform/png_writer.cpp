#include "platform/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace plat {
namespace {

void OnPngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Kept out of the function that calls setjmp, so no local of that function changes
// between setjmp and a longjmp back into it.
bool WriteRows(png_structp png, png_infop info, const std::uint32_t* argb, int width, int height,
               int stridePixels, std::vector<png_byte>& row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Captures are written while frames run: speed matters more than size.
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* src = argb + static_cast<std::size_t>(y) * stridePixels;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<png_byte>(src[x] >> 16);
            row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * x + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const std::uint32_t* argb, int width, int height,
              int stridePixels, std::string* error) {
    std::string message;
    if (!argb || width <= 0 || height <= 0 || stridePixels < width) {
        if (error) *error = "no pixels";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        if (error) *error = "cannot create " + path;
        return false;
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    bool ok = png && info;
    if (ok) {
        png_init_io(png, file);
        ok = WriteRows(png, info, argb, width, height, stridePixels, row);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::remove(path.c_str());
        if (error) *error = message.empty() ? "cannot write " + path : message;
    }
    return ok;
}

}  // namespace plat
