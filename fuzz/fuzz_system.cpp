// data\System.dat over hostile bytes: loaded with its upgrades, written back and read again,
// which must give the same bytes; then the readers of fixed positions and the System.ini
// defaults are taken from what was loaded.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "data/system_ini.h"
#include "data/system_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cEdSystem system;
    system.Load(reader);

    const std::vector<std::uint8_t> saved = system.SaveToBytes();
    cEdSystem again;
    RecordReader back = RecordReader::FromBytes(saved);
    again.Load(back);
    if (back.StoppedEarly() || again.SaveToBytes() != saved) {
        std::fprintf(stderr, "re-read differs (stopped %d at %zu: %s)\n", back.StoppedEarly(),
                     back.ProblemOffset(), back.Problem().c_str());
        __builtin_trap();
    }

    // Short lists take the checked access (a log line and a close request), never more.
    for (int mode = 0; mode < kPlayModeCount; ++mode) system.CountEnabled(mode);
    const int texts = static_cast<int>(system.vecTexts.Size());
    cEdSystem::MenuWindow window;
    std::string text;
    system.MenuLeft(320, 0, texts, 1);
    if (system.LayoutMenu(320, 272, 0, texts, 1, window, text) && text.size() > 1023) {
        __builtin_trap();
    }
    system.CheckThreshold(2, 33, 100);
    system.CheckThreshold(3, 1, 0);
    if (system.FontName().data() == nullptr) __builtin_trap();

    cSystemIni settings;
    SetSystemIniDefaults(settings, system.vecOptions);
    if (settings.FreeStage.size() > kFreeStageMaxLength) __builtin_trap();
    return 0;
}
