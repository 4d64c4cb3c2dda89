// The machine's description: the processor read from a cpuinfo text (only the first
// processor, flags as whole words, a hostile clock ignored), and the live queries answer.
#include "platform/machine_info.h"

#include <gtest/gtest.h>

namespace {

TEST(MachineInfo, ProcessorFromCpuInfoText) {
    const plat::ProcessorInfo cpu = plat::ParseCpuInfo(
        "processor\t: 0\n"
        "vendor_id\t: AuthenticAMD\n"
        "model name\t: Some Processor 3000  \n"
        "cpu MHz\t\t: 2994.375\n"
        "flags\t\t: fpu mmx sse sse2 3dnowext 3dnow\n"
        "\n"
        "processor\t: 1\n"
        "vendor_id\t: Other\n");
    EXPECT_EQ(cpu.vendor, "AuthenticAMD");
    EXPECT_EQ(cpu.name, "Some Processor 3000");
    EXPECT_DOUBLE_EQ(cpu.clockHz, 2994.375e6);
    EXPECT_TRUE(cpu.mmx && cpu.sse && cpu.sse2 && cpu.amd3dNow && cpu.amd3dNowExt);
}

TEST(MachineInfo, MissingOrHostileValuesStayEmpty) {
    const plat::ProcessorInfo cpu =
        plat::ParseCpuInfo("vendor_id : X\ncpu MHz : lots\nflags : ssse3 sse4_1 mmxext\n");
    EXPECT_EQ(cpu.vendor, "X");
    EXPECT_EQ(cpu.name, "");
    EXPECT_EQ(cpu.clockHz, 0);
    // Longer flags that begin like the asked ones are other features.
    EXPECT_FALSE(cpu.mmx || cpu.sse || cpu.sse2 || cpu.amd3dNow || cpu.amd3dNowExt);
    EXPECT_EQ(plat::ParseCpuInfo("cpu MHz : 1e300\n").clockHz, 0);
}

TEST(MachineInfo, TheLiveQueriesAnswer) {
    EXPECT_EQ(plat::GetOsInfo().name, "Linux");
    EXPECT_FALSE(plat::GetOsInfo().release.empty());
    const plat::MemoryInfo memory = plat::GetMemoryInfo();
    EXPECT_GT(memory.totalPhysical, 0u);
    EXPECT_LE(memory.availablePhysical, memory.totalPhysical);
    EXPECT_GE(memory.totalVirtual, memory.totalPhysical);
    EXPECT_GT(plat::GetDiskFreeBytes("/tmp"), 0u);
    EXPECT_EQ(plat::GetDiskFreeBytes("/no/such/folder"), 0u);
}

}  // namespace
