// System.ini over hostile bytes. The first byte picks the option list that names the keys:
// the defaults of a new project, a list with a repeated and an empty key, or a list too
// short for the defaults. The rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "data/system_ini.h"
#include "data/system_record.h"

namespace {

CheckedVector<cEdSystemSubD> MakeOptions(int kind) {
    CheckedVector<cEdSystemSubD> options = cEdSystem().vecOptions;
    if (kind == 1) {
        options[4].Set("Bpp", 7);
        options[6].Set("", 3);
        options.resize(12);
        options[11].Set("Extra", 1);
    } else if (kind == 2) {
        options.resize(3);
    }
    return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const CheckedVector<cEdSystemSubD> lists[3] = {MakeOptions(0), MakeOptions(1),
                                                          MakeOptions(2)};
    const CheckedVector<cEdSystemSubD>& options = lists[data[0] % 3];
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1, "rb");
    if (!file) return 0;
    cSystemIni settings;
    SetSystemIniDefaults(settings, options);
    const std::string before = settings.FreeStage;
    const int result = ReadSystemIniFrom(file, settings, options);
    std::fclose(file);
    if (result != 0 && result != 1) __builtin_trap();
    // FreeStage is either left alone or a whole value of a usable length.
    if (settings.FreeStage != before &&
        (settings.FreeStage.size() < 2 || settings.FreeStage.size() > kFreeStageMaxLength)) {
        __builtin_trap();
    }
    return 0;
}
