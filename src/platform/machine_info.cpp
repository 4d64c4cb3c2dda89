#include "platform/machine_info.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace plat {
namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool HasFlag(const std::string& flags, const char* flag) {
    std::istringstream words(flags);
    std::string word;
    while (words >> word)
        if (word == flag) return true;
    return false;
}

}  // namespace

OsInfo GetOsInfo() {
    OsInfo info;
    utsname names{};
    if (uname(&names) != 0) return info;
    info.name = names.sysname;
    info.release = names.release;
    info.version = names.version;
    return info;
}

ProcessorInfo ParseCpuInfo(const std::string& text) {
    ProcessorInfo info;
    std::istringstream lines(text);
    std::string line;
    bool seenProcessor = false;
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, colon));
        const std::string value = Trim(line.substr(colon + 1));
        if (key == "processor") {
            // Only the first processor is described.
            if (seenProcessor) break;
            seenProcessor = true;
        } else if (key == "vendor_id") {
            info.vendor = value;
        } else if (key == "model name") {
            info.name = value;
        } else if (key == "cpu MHz") {
            char* end = nullptr;
            const double mhz = std::strtod(value.c_str(), &end);
            if (end != value.c_str() && mhz > 0 && mhz < 1e6) info.clockHz = mhz * 1e6;
        } else if (key == "flags") {
            info.mmx = HasFlag(value, "mmx");
            info.sse = HasFlag(value, "sse");
            info.sse2 = HasFlag(value, "sse2");
            info.amd3dNow = HasFlag(value, "3dnow");
            info.amd3dNowExt = HasFlag(value, "3dnowext");
        }
    }
    return info;
}

ProcessorInfo GetProcessorInfo() {
    std::ifstream in("/proc/cpuinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseCpuInfo(text.str());
}

MemoryInfo GetMemoryInfo() {
    MemoryInfo info;
    struct sysinfo s {};
    if (sysinfo(&s) != 0) return info;
    const std::uint64_t unit = s.mem_unit ? s.mem_unit : 1;
    info.totalPhysical = static_cast<std::uint64_t>(s.totalram) * unit;
    info.availablePhysical = static_cast<std::uint64_t>(s.freeram + s.bufferram) * unit;
    info.totalVirtual = static_cast<std::uint64_t>(s.totalram + s.totalswap) * unit;
    info.availableVirtual = static_cast<std::uint64_t>(s.freeram + s.bufferram + s.freeswap) * unit;
    // The kernel's own estimate of what can be had without swapping, where it gives one.
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kb = 0;
    std::string unitText;
    while (meminfo >> key >> kb) {
        std::getline(meminfo, unitText);
        if (key == "MemAvailable:") {
            info.availablePhysical = kb * 1024;
            break;
        }
    }
    return info;
}

std::uint64_t GetDiskFreeBytes(const char* path) {
    struct statvfs s {};
    if (statvfs(path && *path ? path : ".", &s) != 0) return 0;
    return static_cast<std::uint64_t>(s.f_bavail) * s.f_frsize;
}

}  // namespace plat
