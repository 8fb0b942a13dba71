#pragma once

// Texts from the game server are hostile: a reply or a chat line may carry
// carriage returns, line feeds or any other control byte, and may be huge.
// These helpers turn such a text into the text of exactly one log line.

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrin {

// The most bytes of text one logged line keeps; the rest is cut off.
inline constexpr size_t kMaxLogLineText = 4096;

// Every byte below 32 and the byte 127 made visible: CR as "\r", LF as "\n",
// TAB as "\t", any other as "\x" and two upper-case hex digits. A backslash
// stays as it is: the program's texts are full of backslash-separated fields
// (replies, menu entries, ChatBot records) that should read in the log as
// they are, and a log is read by people, never parsed back. So the escaping
// cannot be undone, but escaping twice changes nothing. Bytes from 128 up are
// Windows-1252 characters and stay too.
std::string EscapeControlBytes(std::string_view text);

// The text of one log line: escaped, and when the escaped text is longer than
// `limit` bytes, cut at the last whole byte or escape that fits and followed
// by " ... [cut: N bytes]", N being the size of the text as given.
std::string LogLineText(std::string_view text, size_t limit = kMaxLogLineText);

}  // namespace tavrin
