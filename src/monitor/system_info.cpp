#include "monitor/system_info.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "common/text_file.h"
#include "common/text_helpers.h"
#include "common/value_text.h"

namespace tavrin {
namespace {

std::string ReadOr(const std::string& path) {
    std::string text;
    ReadTextFile(path, text);
    return text;
}

// Blanks, line ends and the quotes some of those files put round values.
std::string TrimValue(std::string_view s) {
    return std::string(Trim(s, " \t\r\n\""));
}

// The value after "key" and a separator (":" or "=") on the first line that starts with key.
std::string Field(const std::string& text, const std::string& key, char separator) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        size_t at = line.find(separator, key.size());
        if (at == std::string::npos) continue;
        if (TrimValue(line.substr(key.size(), at - key.size())).size() != 0) continue;
        return TrimValue(line.substr(at + 1));
    }
    return {};
}

uint64_t KiBField(const std::string& text, const std::string& key) {
    return static_cast<uint64_t>(std::strtoull(Field(text, key, ':').c_str(), nullptr, 10)) * 1024;
}

std::string Format(const char* fmt, auto... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

}  // namespace

SystemFacts CollectSystemFacts(const std::string& root) {
    SystemFacts f;
    const std::string release = ReadOr(root + "etc/os-release");
    std::string distro = Field(release, "PRETTY_NAME", '=');
    if (distro.empty()) distro = "Linux";

    // The kernel release "6.1.0-18-amd64": the name carries major.minor, the
    // build is the patch level.
    const std::string kernel = TrimValue(ReadOr(root + "proc/sys/kernel/osrelease"));
    int major = 0, minor = 0, patch = 0;
    std::sscanf(kernel.c_str(), "%d.%d.%d", &major, &minor, &patch);
    f.osName =
        distro +
        (kernel.empty() ? "" : " Linux " + std::to_string(major) + "." + std::to_string(minor));
    f.build = patch;

    const std::string cpuinfo = ReadOr(root + "proc/cpuinfo");
    std::istringstream in(cpuinfo);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 9, "processor") == 0 && line.find(':') != std::string::npos)
            ++f.processors;
    f.mhz = static_cast<int32_t>(std::lround(std::atof(Field(cpuinfo, "cpu MHz", ':').c_str())));
    f.vendorId = Field(cpuinfo, "vendor_id", ':');
    f.processorName = Field(cpuinfo, "model name", ':');
    const std::string family = Field(cpuinfo, "cpu family", ':');
    if (!family.empty())
        f.processorId = "Family " + family + " Model " + Field(cpuinfo, "model", ':') +
                        " Stepping " + Field(cpuinfo, "stepping", ':');

    const std::string meminfo = ReadOr(root + "proc/meminfo");
    f.totalMemory = KiBField(meminfo, "MemTotal");
    f.availableMemory = KiBField(meminfo, "MemAvailable");
    f.collected = true;
    return f;
}

int64_t ProcessMemoryKiB(const std::string& root) {
    const std::string status = ReadOr(root + "proc/self/status");
    return std::strtoll(Field(status, "VmRSS", ':').c_str(), nullptr, 10);
}

std::string OperatingSystemText(const SystemFacts& f) {
    return " " + f.osName + " build = " + IntToText(f.build);
}

std::string ProcessorsText(const SystemFacts& f) {
    return " CPUs: " + IntToText(f.processors) + " Speed = " + IntToText(f.mhz);
}

std::string PhysicalMemoryText(const SystemFacts& f) {
    return Format(" Total Size = %llu MB ", static_cast<unsigned long long>(f.totalMemory >> 20)) +
           Format(" ;  Available = %llu MB",
                  static_cast<unsigned long long>(f.availableMemory >> 20));
}

std::string ProcessMemoryText(int64_t kib) {
    return " Size = " + std::to_string(kib) + " k";
}

void CSysInfo::Update(bool full) {
    if (!m_facts.collected) m_facts = CollectSystemFacts(m_root);
    if (full) {
        m_os = OperatingSystemText(m_facts);
        m_cpus = ProcessorsText(m_facts);
        m_memory = PhysicalMemoryText(m_facts);
    }
    m_process = ProcessMemoryText(ProcessMemoryKiB(m_root));
}

}  // namespace tavrin
