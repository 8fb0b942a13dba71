#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// How WriteTextFile treats an existing file.
enum class WriteMode { Replace = 0, Append = 1 };

// Who may read a file that WriteTextFile creates. Files holding passwords are
// kept to their owner.
enum class FileAccess { Shared, OwnerOnly };

// What reading a whole file found.
struct TextFileRead {
    enum class Status {
        Read,        // `text` holds the file's text
        Missing,     // nothing at the path (or a folder on the way is missing)
        Unreadable,  // something is there but could not be read; see `failure`
    };
    Status status = Status::Missing;
    std::string text;     // CR LF on disk is LF here
    std::string failure;  // one line for a message and the event log

    bool operator==(const TextFileRead&) const = default;
};

// Reads a whole file. CR LF on disk becomes LF in memory. A file that is there
// but cannot be read (no permission, a folder of that name, a read error) is
// Unreadable, never Missing: only a missing file may be replaced by defaults.
TextFileRead ReadTextFile(const std::string& path);

// The same, for callers that only need the text: false, with `text` left
// unchanged, when there is no readable file at `path`.
bool ReadTextFile(const std::string& path, std::string& text);

// What the user and the event log are told about a configuration file that is
// there but could not be read, `failure` being TextFileRead::failure. The
// owner then runs with its defaults and leaves the file alone.
std::string UnreadableConfigNotice(const std::string& failure);

// Writes `text`, LF in memory becoming CR LF on disk. Replace writes the whole
// file atomically (a temporary file in the same folder, then a rename), so a
// crash never leaves half a file. Append adds to the end, creating the file.
// Returns false without touching the old file when the folder is missing or
// the file cannot be written; `failure` (when given) then holds a one-line
// description for the event log.
bool WriteTextFile(const std::string& path, const std::string& text, WriteMode mode,
                   std::string* failure = nullptr, FileAccess access = FileAccess::Shared);

// A file that holds passwords but was made readable or writable by others
// (by hand, or before such files were kept to their owner) is kept to its
// owner from now on: when `path` is a regular file of the program's own user
// with any group or other permission, those permissions are taken away.
// Returns a line for the event log when the mode changed or could not be
// changed; empty when there was nothing to do (no file, already private, or
// another user's file, which is not ours to change).
std::string KeepToOwner(const std::string& path);

// Creates one folder; an existing folder is fine. Returns false on failure.
bool MakeDirectory(const std::string& path);
bool DirectoryExists(const std::string& path);

// The platform's path separator, the one the program directory ends with.
inline constexpr char kPathSeparator = '/';

// A file name typed without an extension gets `extension` (given without its
// dot), as a save dialog's default extension does; any other path is kept.
std::string WithDefaultExtension(const std::string& path, std::string_view extension);

}  // namespace tavrin
