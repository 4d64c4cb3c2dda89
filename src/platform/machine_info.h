// What the machine is, for the report log: the system's name and release, the processor,
// the memory and the free disk space. Every query that fails leaves its value at 0 or empty.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

struct OsInfo {
    std::string name;     // "Linux"
    std::string release;  // the kernel release, "6.1.0-13-amd64"
    std::string version;  // the kernel's build text
};
OsInfo GetOsInfo();

struct ProcessorInfo {
    std::string vendor;  // "GenuineIntel"
    std::string name;    // the brand text, empty when the processor has none
    bool mmx = false, sse = false, sse2 = false, amd3dNow = false, amd3dNowExt = false;
    double clockHz = 0;  // as the system reports it (no timing loop)
};
ProcessorInfo GetProcessorInfo();
// Parses a /proc/cpuinfo text (its first processor); tests feed their own.
ProcessorInfo ParseCpuInfo(const std::string& text);

struct MemoryInfo {
    std::uint64_t totalPhysical = 0;
    std::uint64_t availablePhysical = 0;
    std::uint64_t totalVirtual = 0;  // physical memory and swap
    std::uint64_t availableVirtual = 0;
};
MemoryInfo GetMemoryInfo();

// Free bytes for this user on the file system of `path`; 0 when it cannot be asked.
std::uint64_t GetDiskFreeBytes(const char* path);

}  // namespace plat
