#pragma once

// Configuration files that are there but cannot be read. CI runs the tests as
// root, whom permissions do not stop, so every kind but NoPermission works for
// any user.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tavrin::testing {

enum class UnreadableKind {
    Folder,        // a folder where the file should be
    FailingRead,   // a regular file whose reading fails: a link to /proc/self/mem
    NoPermission,  // a file its owner may not read (not for root)
};

inline const char* KindName(UnreadableKind kind) {
    switch (kind) {
        case UnreadableKind::Folder:
            return "a folder";
        case UnreadableKind::FailingRead:
            return "a file whose reading fails";
        case UnreadableKind::NoPermission:
            return "a file without read permission";
    }
    return "";
}

// The kinds this process can make.
inline std::vector<UnreadableKind> UnreadableKinds() {
    std::vector<UnreadableKind> kinds{UnreadableKind::Folder, UnreadableKind::FailingRead};
    if (::geteuid() != 0) kinds.push_back(UnreadableKind::NoPermission);
    return kinds;
}

// The bytes a NoPermission file holds: the user's data that must survive.
inline constexpr const char* kUnreadableBytes = "the user's own data\r\n";

inline void MakeUnreadable(UnreadableKind kind, const std::string& path) {
    switch (kind) {
        case UnreadableKind::Folder:
            std::filesystem::create_directory(path);
            break;
        case UnreadableKind::FailingRead:
            // Address 0 of this process is never mapped, so the first read of
            // its memory file fails with EIO.
            std::filesystem::create_symlink("/proc/self/mem", path);
            break;
        case UnreadableKind::NoPermission:
            WriteBytes(path, kUnreadableBytes);
            ::chmod(path.c_str(), 0);
            break;
    }
}

// Whether the path still holds what MakeUnreadable put there.
inline bool LeftAlone(UnreadableKind kind, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    switch (kind) {
        case UnreadableKind::Folder:
            return fs::is_directory(fs::symlink_status(path, ec));
        case UnreadableKind::FailingRead:
            return fs::is_symlink(fs::symlink_status(path, ec)) &&
                   fs::read_symlink(path, ec) == "/proc/self/mem";
        case UnreadableKind::NoPermission: {
            ::chmod(path.c_str(), 0600);
            const bool same = ReadBytes(path) == kUnreadableBytes;
            ::chmod(path.c_str(), 0);
            return same;
        }
    }
    return false;
}

}  // namespace tavrin::testing
