#include "gfx/file_dialogs.h"

#include <cstring>

#include "gfx/display.h"
#include "gfx/palette.h"
#include "platform/ddraw.h"
#include "platform/file_chooser.h"

namespace {

constexpr int kSaveBufferSize = 260;

plat::FileChooserRequest Request(bool save, const char* initialFolder, const char* title,
                                 const char* filter) {
    plat::FileChooserRequest request;
    request.save = save;
    request.title = title ? title : "";
    request.initialFolder = initialFolder ? initialFolder : "";
    // Pairs of zero-terminated texts up to an empty one.
    for (const char* p = filter; p && *p;) {
        const std::string description = p;
        p += description.size() + 1;
        if (!*p) break;
        const std::string pattern = p;
        p += pattern.size() + 1;
        request.filters.emplace_back(description, pattern);
    }
    return request;
}

bool EightBitDirectDraw() {
    return lpDDCon && !lpDTCon && nBpp == 8 && lpDDPalette;
}

// Palette entry 0 is black while the chooser is open and the stored one after, whether a
// file was chosen or not.
class PaletteEntryZeroBlack {
public:
    PaletteEntryZeroBlack() {
        if (!EightBitDirectDraw()) return;
        const plat::PALETTEENTRY black{};
        lpDDPalette->SetEntries(0, 0, 1, &black);
    }
    ~PaletteEntryZeroBlack() {
        if (EightBitDirectDraw()) lpDDPalette->SetEntries(0, 0, 1, &PaletteOrg[0]);
    }
};

plat::FileChooserResult Choose(const plat::FileChooserRequest& request) {
    PaletteEntryZeroBlack palette;
    return plat::ChooseFile(request);
}

}  // namespace

bool GetOpenFileName(plat::HWND, char* buffer, int bufferSize, const char* initialFolder,
                     const char* title, const char* filter, const char*, int,
                     CheckedVector<std::string>* results) {
    if (!buffer || bufferSize <= 0) return false;
    std::memset(buffer, 0, static_cast<std::size_t>(bufferSize));
    const plat::FileChooserResult chosen = Choose(Request(false, initialFolder, title, filter));
    if (!chosen.chosen || chosen.path.size() + 1 > static_cast<std::size_t>(bufferSize))
        return false;
    std::memcpy(buffer, chosen.path.c_str(), chosen.path.size() + 1);
    if (results) results->push_back(chosen.path);
    return true;
}

bool GetSaveFileName(plat::HWND, char* buffer, const char* initialFolder, const char* title,
                     const char* filter, const char* defaultExtension, int keep) {
    if (!buffer) return false;
    if (!keep) std::memset(buffer, 0, kSaveBufferSize);
    plat::FileChooserRequest request = Request(true, initialFolder, title, filter);
    request.proposedName = std::string(buffer, strnlen(buffer, kSaveBufferSize - 1));
    const plat::FileChooserResult chosen = Choose(request);
    if (!chosen.chosen) return false;
    std::string path = chosen.path;
    // A name typed without an extension takes the default one.
    const std::size_t slash = path.rfind('\\');
    if (defaultExtension && *defaultExtension &&
        path.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos)
        path += std::string(".") + defaultExtension;
    if (path.size() + 1 > kSaveBufferSize) return false;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}
