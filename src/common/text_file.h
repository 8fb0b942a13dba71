#pragma once

#include <string>

namespace tavrin {

// How WriteTextFile treats an existing file.
enum class WriteMode { Replace = 0, Append = 1 };

// Who may read a file that WriteTextFile creates. Files holding passwords are
// kept to their owner.
enum class FileAccess { Shared, OwnerOnly };

// Reads a whole file. CR LF on disk becomes LF in memory. Returns false, and
// leaves `text` unchanged, when there is no readable file at `path`.
bool ReadTextFile(const std::string& path, std::string& text);

// Writes `text`, LF in memory becoming CR LF on disk. Replace writes the whole
// file atomically (a temporary file in the same folder, then a rename), so a
// crash never leaves half a file. Append adds to the end, creating the file.
// Returns false without touching the old file when the folder is missing or
// the file cannot be written; `failure` (when given) then holds a one-line
// description for the event log.
bool WriteTextFile(const std::string& path, const std::string& text, WriteMode mode,
                   std::string* failure = nullptr, FileAccess access = FileAccess::Shared);

// Creates one folder; an existing folder is fine. Returns false on failure.
bool MakeDirectory(const std::string& path);
bool DirectoryExists(const std::string& path);

// The platform's path separator, the one the program directory ends with.
inline constexpr char kPathSeparator = '/';

}  // namespace tavrin
