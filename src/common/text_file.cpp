#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavrin {
namespace {

std::string ToDisk(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 8);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::string FromDisk(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        out.push_back(bytes[i]);
    }
    return out;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// What happened in words, with the system's error number beside them.
void Report(std::string* failure, const char* what, const std::string& path, int err) {
    if (failure)
        *failure = std::string(what) + path + " (" + std::strerror(err) + ", error " +
                   std::to_string(err) + ")";
}

}  // namespace

TextFileRead ReadTextFile(const std::string& path) {
    TextFileRead result;
    auto unreadable = [&](int err) {
        result.status = TextFileRead::Status::Unreadable;
        Report(&result.failure, "Couldn't read: ", path, err);
        return result;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        // ENOTDIR: a file stands where a folder of the path should be, so
        // there is no file at the path either.
        if (errno == ENOENT || errno == ENOTDIR) return result;
        return unreadable(errno);
    }
    // A folder, a pipe or a device: something the user put there, not ours to
    // replace. (A pipe would also block the open.)
    if (!S_ISREG(st.st_mode)) return unreadable(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return unreadable(errno);
    std::string bytes;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return unreadable(err);
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    result.status = TextFileRead::Status::Read;
    result.text = FromDisk(bytes);
    return result;
}

bool ReadTextFile(const std::string& path, std::string& text) {
    TextFileRead read = ReadTextFile(path);
    if (read.status != TextFileRead::Status::Read) return false;
    text = std::move(read.text);
    return true;
}

std::string UnreadableConfigNotice(const std::string& failure) {
    return failure +
           ". The defaults are used for now; the file is left as it is and is written only "
           "when you save changes to it.";
}

std::string KeepToOwner(const std::string& path) {
    // Opened without following a link, so the mode is read and changed on
    // the very file that was checked.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    std::string line;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 077) != 0) {
        const mode_t was = st.st_mode & 07777;
        const mode_t now = was & 0600;
        char modes[40];
        if (::fchmod(fd, now) == 0) {
            std::snprintf(modes, sizeof modes, "%04o, now %04o", static_cast<unsigned>(was),
                          static_cast<unsigned>(now));
            line = path + " holds passwords: its mode was " + modes + " (its owner only)";
        } else {
            const int err = errno;
            std::snprintf(modes, sizeof modes, "%04o", static_cast<unsigned>(was));
            line = path + " holds passwords and its mode " + modes +
                   " lets others in; it could not be changed: " + std::strerror(err);
        }
    }
    ::close(fd);
    return line;
}

bool WriteTextFile(const std::string& path, const std::string& text, WriteMode mode,
                   std::string* failure, FileAccess access) {
    const mode_t perms = access == FileAccess::OwnerOnly ? 0600 : 0644;
    const std::string bytes = ToDisk(text);

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        Report(failure, "Couldn't write: ", path, EISDIR);
        return false;
    }

    if (mode == WriteMode::Append) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, perms);
        if (fd < 0) {
            Report(failure, "Couldn't open: ", path, errno);
            return false;
        }
        bool ok = WriteAll(fd, bytes);
        int err = errno;
        if (::close(fd) != 0 && ok) {
            Report(failure, "Couldn't close: ", path, errno);
            return false;
        }
        if (!ok) Report(failure, "Couldn't write: ", path, err);
        return ok;
    }

    // Replace: the new text goes to a temporary file beside the old one and
    // takes its place in one rename.
    std::string tmp = path + ".tmpXXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        Report(failure, "Couldn't open: ", path, errno);
        return false;
    }
    // An existing file keeps its permissions; a new one gets the requested ones.
    mode_t keep = exists ? (st.st_mode & 07777) : perms;
    if (access == FileAccess::OwnerOnly) keep &= 0600;
    ::fchmod(fd, keep);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) return true;
    if (ok) err = errno;
    ::unlink(tmp.c_str());
    Report(failure, "Couldn't write: ", path, err);
    return false;
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    struct stat st {};
    return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithDefaultExtension(const std::string& path, std::string_view extension) {
    const size_t nameStart = path.rfind(kPathSeparator) + 1;  // 0 without a separator
    const std::string_view name = std::string_view(path).substr(nameStart);
    // A leading dot names a hidden file, not an extension.
    if (extension.empty() || name.empty() || name.find('.', 1) != std::string_view::npos)
        return path;
    return path + "." + std::string(extension);
}

}  // namespace tavrin
