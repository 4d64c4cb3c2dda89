#include "shell/system_info.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/log.h"
#include "gfx/display.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/machine_info.h"

namespace {

constexpr double kMegabyte = 1048576.0;

void CopyText(char (&to)[256], const std::string& from) {
    const std::size_t n = std::min(from.size(), sizeof to - 1);
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

void LogDirect3DBlock(int capsDump) {
    // Our device is the software one of the platform layer; its capability record is what
    // the display layer works with.
    ReportLog("Direct3D 9 (software device)");
    ReportLog("---デバイス%d", 0);
    ReportLog("Destination : %s", "software rasteriser");
    ReportLog("Driver : %s %1d.%02d.%04d.%04d", "k4soft", 9, 0, 0, 0);
    ReportLog("DDI : %s", plat::DisplayDriverDdiVersion());
    plat::D3DCAPS9 caps{};
    const bool haveCaps =
        lpD3D && lpD3D->GetDeviceCaps(plat::D3DADAPTER_DEFAULT, lpDTCon ? lpDTCon->DeviceType : 1,
                                      &caps) == plat::D3D_OK;
    if (!haveCaps) return;
    ReportLog("TextureMaxSize : (%d,%d)", static_cast<int>(caps.MaxTextureWidth),
              static_cast<int>(caps.MaxTextureHeight));
    if (capsDump)
        ReportLog("%08X %08X %08X %08X %08X %08X", static_cast<unsigned>(caps.DeviceType),
                  static_cast<unsigned>(caps.AdapterOrdinal), static_cast<unsigned>(caps.Caps3),
                  static_cast<unsigned>(caps.TextureCaps),
                  static_cast<unsigned>(caps.MaxTextureWidth),
                  static_cast<unsigned>(caps.MaxTextureHeight));
    if (caps.Caps3 & plat::D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD)
        ReportLog("D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD");
    if (caps.TextureCaps & plat::D3DPTEXTURECAPS_POW2) ReportLog("D3DPTEXTURECAPS_POW2");
    if (caps.TextureCaps & plat::D3DPTEXTURECAPS_SQUAREONLY)
        ReportLog("D3DPTEXTURECAPS_SQUAREONLY");
    ReportLog("DirectDraw : ○");
    ReportLog("Direct3D : ○");
}

void LogDirectDrawBlock() {
    if (!lpDD) return;
    plat::DWORD hz = 0;
    if (lpDD->GetMonitorFrequency(&hz) == plat::DD_OK)
        ReportLog("RR : %u", static_cast<unsigned>(hz));
}

}  // namespace

int GetWindowsVersionName(std::string* text, int* major, int* minor) {
    if (major) *major = 6;
    if (minor) *minor = 1;
    if (!text) return 0;
    const plat::OsInfo os = plat::GetOsInfo();
    *text = os.name.empty() ? "Linux" : os.name;
    if (!os.release.empty()) *text += " " + os.release;
    return static_cast<int>(text->size());
}

bool IsWindowsVersionAtLeast(int major, int minor) {
    int running = 0, runningMinor = 0;
    GetWindowsVersionName(nullptr, &running, &runningMinor);
    return running > major || (running == major && runningMinor >= minor);
}

void GetCpuInfo(CpuInfo* info) {
    const plat::ProcessorInfo cpu = plat::GetProcessorInfo();
    *info = CpuInfo{};
    CopyText(info->szName, cpu.name);
    CopyText(info->szVendor, cpu.vendor);
    info->bMMX = cpu.mmx;
    info->bSSE = cpu.sse;
    info->bSSE2 = cpu.sse2;
    info->b3DNow = cpu.amd3dNow;
    info->b3DNowExt = cpu.amd3dNowExt;
    info->dClock = cpu.clockHz;
}

double MeasureCpuClock() {
    return plat::GetProcessorInfo().clockHz;
}

std::uint64_t GetDiskFreeBytes(const char* root) {
    return plat::GetDiskFreeBytes(root);
}

int LogSystemInfo() {
    std::string os;
    GetWindowsVersionName(&os, nullptr, nullptr);
    if (!ReportLog("OS : %s", os.c_str())) return 0;
    CpuInfo cpu;
    GetCpuInfo(&cpu);
    ReportLog("CPU : %s %s %d", cpu.szVendor, cpu.szName, static_cast<int>(cpu.dClock * 1e-6));
    const plat::MemoryInfo memory = plat::GetMemoryInfo();
    ReportLog("Mem Total : %.3fMB", static_cast<double>(memory.totalPhysical) / kMegabyte);
    ReportLog("Mem Free : %3.fMB", static_cast<double>(memory.availablePhysical) / kMegabyte);
    ReportLog("Vir Total : %.3fMB", static_cast<double>(memory.totalVirtual) / kMegabyte);
    ReportLog("Vir Free : %3.fMB", static_cast<double>(memory.availableVirtual) / kMegabyte);
    ReportLog("HD Free : %3.fMB", static_cast<double>(GetDiskFreeBytes(nullptr)) / kMegabyte);
    return 1;
}

int LogDisplayInfo(int capsDump) {
    if (!ReportLog("Mode : %s", bWindowMode ? "Window" : "Fullscreen")) return 0;
    ReportLog("Bpp : %d", nBpp);
    if (lpDTCon)
        LogDirect3DBlock(capsDump);
    else
        LogDirectDrawBlock();
    return 1;
}
