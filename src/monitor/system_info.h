#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// Facts about the machine the console runs on, gathered once.
struct SystemFacts {
    std::string osName;
    int32_t build = 0;
    int32_t processors = 0;
    int32_t mhz = 0;
    std::string processorId;  // gathered but not shown
    std::string vendorId;
    std::string processorName;
    uint64_t totalMemory = 0;  // bytes
    uint64_t availableMemory = 0;
    bool collected = false;
};

// Reads the facts from the system: the distribution's name and the kernel's
// version, the processors and memory. `root` is "/" for the running system;
// tests point it at a folder holding proc/ and etc/ files. A fact the system
// does not give stays 0 or empty.
SystemFacts CollectSystemFacts(const std::string& root = "/");

// The console's own resident memory in KiB; 0 when the system cannot tell.
int64_t ProcessMemoryKiB(const std::string& root = "/");

// The four texts of the System Information frame.
std::string OperatingSystemText(const SystemFacts& f);
std::string ProcessorsText(const SystemFacts& f);
std::string PhysicalMemoryText(const SystemFacts& f);
std::string ProcessMemoryText(int64_t kib);

// The collector and the four texts, as the Server tab shows them.
class CSysInfo {
  public:
    explicit CSysInfo(std::string root = "/") : m_root(std::move(root)) {}

    // Collects on first use; `full` refreshes the three fixed texts too.
    void Update(bool full);

    const std::string& OperatingSystem() const { return m_os; }
    const std::string& Processors() const { return m_cpus; }
    const std::string& PhysicalMemory() const { return m_memory; }
    const std::string& ProcessMemory() const { return m_process; }
    const SystemFacts& Facts() const { return m_facts; }

  private:
    std::string m_root;
    SystemFacts m_facts;
    std::string m_os, m_cpus, m_memory, m_process;
};

}  // namespace tavrin
