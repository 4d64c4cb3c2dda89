#include "data/system_ini.h"

#include <iterator>
#include <limits>

#include "base/log.h"
#include "data/system_record.h"
#include "platform/host_path.h"

cSystemIni SystemIni;

namespace {

// Settings 0 to 7 by option position; 8 is FreeStage and 9 English.
constexpr std::int32_t cSystemIni::*kNumberSettings[] = {
    &cSystemIni::Direct3D,        &cSystemIni::WindowMode,    &cSystemIni::Bpp,
    &cSystemIni::VSync,           &cSystemIni::D3D_FontCache, &cSystemIni::DD_FontCache,
    &cSystemIni::DD_VideoStretch, &cSystemIni::ShowFps,
};
constexpr int kNumberSettingCount = static_cast<int>(std::size(kNumberSettings));
constexpr int kFreeStagePosition = 8;
constexpr int kEnglishPosition = 9;
// A stage path shorter than this names no stage file.
constexpr std::size_t kFreeStageMinLength = 2;

bool IsCSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The first option whose key equals the file's key decides; keys no option names, and
// options beyond the ten settings, change nothing.
void ApplySetting(const std::string& key, const std::string& value, cSystemIni& settings,
                  const CheckedVector<cEdSystemSubD>& options) {
    for (int i = 0; i < static_cast<int>(options.Size()); ++i) {
        if (options[i].strKey != key) continue;
        if (i < kNumberSettingCount) {
            settings.*kNumberSettings[i] = SettingToInt(value);
        } else if (i == kFreeStagePosition) {
            // A value outside the lengths a stage path can have leaves the setting alone.
            if (value.size() >= kFreeStageMinLength && value.size() <= kFreeStageMaxLength) {
                settings.FreeStage = value;
            }
        } else if (i == kEnglishPosition) {
            settings.English = SettingToInt(value);
        }
        return;
    }
}

}  // namespace

std::int32_t SettingToInt(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && IsCSpace(static_cast<unsigned char>(value[i]))) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, whose range holds the smallest 32-bit value.
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 - (value[i] - '0');
        if (n < kMin) n = kMin;
    }
    if (!negative) n = -n;
    if (n > std::numeric_limits<std::int32_t>::max()) n = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(n);
}

void SetSystemIniDefaults(cSystemIni& settings, const CheckedVector<cEdSystemSubD>& options) {
    for (int i = 0; i < kNumberSettingCount; ++i) {
        settings.*kNumberSettings[i] = options[i].nDefault;
    }
    const std::string& stage = options[kFreeStagePosition].strDefault;
    if (stage.size() <= kFreeStageMaxLength) {
        settings.FreeStage = stage;
    } else {
        settings.FreeStage.clear();
    }
    // Not taken from the option: a project never starts in English by default.
    settings.English = 0;
}

int ReadSystemIniFrom(std::FILE* file, cSystemIni& settings,
                      const CheckedVector<cEdSystemSubD>& options) {
    std::string key, value;
    for (int line = 0; line < kSystemIniMaxLines; ++line) {
        key.clear();
        bool hasValue = false;
        for (;;) {
            const int c = std::getc(file);
            // The end of the file (or a read error) before the end line: a failed read.
            if (c == EOF) return 0;
            if (c == '=') {
                hasValue = true;
                break;
            }
            if (c == '\r' || c == ' ' || c == '\t') continue;
            if (c == '\0') return 1;
            if (c == '\n') {
                if (key == "Exit") return 1;
                break;
            }
            key += static_cast<char>(c);
        }
        if (!hasValue) continue;
        value.clear();
        for (;;) {
            const int c = std::getc(file);
            if (c == EOF) return 0;
            if (c == ' ' || c == '\t' || c == '/' || c == '\n' || c == '\0') break;
            value += static_cast<char>(c);
        }
        // What follows a value ended by a space, tab or "/" is read as the next key.
        ApplySetting(key, value, settings, options);
    }
    return 1;
}

int ReadSystemIni(std::string_view path, cSystemIni& settings,
                  const CheckedVector<cEdSystemSubD>& options) {
    std::FILE* file = plat::FileOpen(path, "rb");
    if (!file) return 0;
    const int result = ReadSystemIniFrom(file, settings, options);
    std::fclose(file);
    return result;
}

int LoadSystemIni() {
    SetSystemIniDefaults(SystemIni, EdSystem.vecOptions);
    const int result = ReadSystemIni(kSystemIniPath, SystemIni, EdSystem.vecOptions);
    if (!result) {
        ReportLogBox("System.ini の読み込みに失敗しました！");
        SetSystemIniDefaults(SystemIni, EdSystem.vecOptions);
    }
    return result;
}
