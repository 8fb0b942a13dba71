#include "monitor/system_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace tavrin {
namespace {

void Put(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

TEST(SystemInfo, FactsFromTheSystemFiles) {
    testing::TempDir dir;
    Put(dir.File("etc/os-release"),
        "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    Put(dir.File("proc/sys/kernel/osrelease"), "6.1.0-18-amd64\n");
    Put(dir.File("proc/cpuinfo"),
        "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 85\n"
        "model name\t: Xeon\nstepping\t: 7\ncpu MHz\t\t: 2399.6\n\n"
        "processor\t: 1\nvendor_id\t: GenuineIntel\ncpu MHz\t\t: 2400.0\n");
    Put(dir.File("proc/meminfo"),
        "MemTotal:        3145728 kB\nMemFree:  1 kB\nMemAvailable:    1572864 kB\n");
    Put(dir.File("proc/self/status"), "Name:\ttavrinrat\nVmRSS:\t   20480 kB\n");

    CSysInfo info(dir.Path());
    info.Update(true);
    EXPECT_EQ(info.OperatingSystem(), " Debian GNU/Linux 12 (bookworm) Linux 6.1 build = 0");
    EXPECT_EQ(info.Processors(), " CPUs: 2 Speed = 2400");
    EXPECT_EQ(info.PhysicalMemory(), " Total Size = 3072 MB  ;  Available = 1536 MB");
    EXPECT_EQ(info.ProcessMemory(), " Size = 20480 k");
    EXPECT_EQ(info.Facts().vendorId, "GenuineIntel");
    EXPECT_EQ(info.Facts().processorName, "Xeon");

    // Only the process memory changes on the one-second refresh.
    Put(dir.File("proc/self/status"), "VmRSS:\t   20992 kB\n");
    Put(dir.File("proc/cpuinfo"), "processor\t: 0\n");
    info.Update(false);
    EXPECT_EQ(info.ProcessMemory(), " Size = 20992 k");
    EXPECT_EQ(info.Processors(), " CPUs: 2 Speed = 2400");
}

TEST(SystemInfo, MissingFactsStayZero) {
    testing::TempDir dir;
    CSysInfo info(dir.Path());
    info.Update(true);
    EXPECT_EQ(info.Processors(), " CPUs: 0 Speed = 0");
    EXPECT_EQ(info.PhysicalMemory(), " Total Size = 0 MB  ;  Available = 0 MB");
    EXPECT_EQ(info.ProcessMemory(), " Size = 0 k");
}

TEST(SystemInfo, TheRunningSystemHasProcessorsAndMemory) {
    SystemFacts f = CollectSystemFacts();
    EXPECT_GT(f.processors, 0);
    EXPECT_GT(f.totalMemory, 0u);
    EXPECT_GT(ProcessMemoryKiB(), 0);
}

}  // namespace
}  // namespace tavrin
