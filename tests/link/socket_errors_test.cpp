#include "link/socket_errors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tavrin {
namespace {

TEST(SocketErrors, EveryErrnoRowMapsToItsNumber) {
    const std::pair<int, int> expected[] = {
        {EWOULDBLOCK, 10035},   {EAGAIN, 10035},       {EINPROGRESS, 10036}, {EALREADY, 10037},
        {ENOTSOCK, 10038},      {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},    {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051}, {ENETRESET, 10052},
        {ECONNABORTED, 10053},  {EPIPE, 10053},        {ECONNRESET, 10054},  {ENOBUFS, 10055},
        {ENOMEM, 10055},        {EISCONN, 10056},      {ENOTCONN, 10057},    {ESHUTDOWN, 10058},
        {ETIMEDOUT, 10060},     {ECONNREFUSED, 10061}, {EHOSTDOWN, 10064},   {EHOSTUNREACH, 10065},
        {EINVAL, 10022},        {EACCES, 10013},       {EPERM, 10013},       {EINTR, 10004},
    };
    for (auto [posix, code] : expected) EXPECT_EQ(SocketErrorFromErrno(posix), code) << posix;
    // Every row of the table is covered above.
    for (const auto& row : ErrnoTable()) {
        bool listed = false;
        for (auto [posix, code] : expected) listed |= posix == row.posix && code == row.code;
        EXPECT_TRUE(listed) << row.name;
    }
}

TEST(SocketErrors, CleanCloseIsZeroAndUnknownIsAnAbort) {
    EXPECT_EQ(SocketErrorFromErrno(0), 0);
    EXPECT_EQ(SocketErrorFromErrno(EDOM), 10053);
}

TEST(SocketErrors, EveryNumberReadsInWordsWithTheNumberKept) {
    const std::pair<int, const char*> expected[] = {
        {10004, "Interrupted (10004)"},
        {10013, "Access denied (10013)"},
        {10022, "Invalid argument (10022)"},
        {10035, "Would block (10035)"},
        {10036, "In progress (10036)"},
        {10037, "Already in progress (10037)"},
        {10038, "Not a socket (10038)"},
        {10039, "Address required (10039)"},
        {10040, "Message too long (10040)"},
        {10048, "Address in use (10048)"},
        {10049, "Address not available (10049)"},
        {10050, "Network down (10050)"},
        {10051, "Network unreachable (10051)"},
        {10052, "Network reset (10052)"},
        {10053, "Connection aborted (10053)"},
        {10054, "Connection reset by the server (10054)"},
        {10055, "No buffer space (10055)"},
        {10056, "Already connected (10056)"},
        {10057, "Not connected (10057)"},
        {10058, "Shut down (10058)"},
        {10060, "Timed out (10060)"},
        {10061, "Connection refused (10061)"},
        {10064, "Host down (10064)"},
        {10065, "Host unreachable (10065)"},
        {11001, "Name not found (11001)"},
    };
    for (auto [code, text] : expected) EXPECT_EQ(SocketErrorText(code), text) << code;
    // Every row of the table is covered above, and every errno row has words.
    for (const auto& row : SocketErrorWordsTable()) {
        bool listed = false;
        for (auto [code, text] : expected) listed |= code == row.code;
        EXPECT_TRUE(listed) << row.words;
    }
    for (const auto& row : ErrnoTable()) EXPECT_FALSE(SocketErrorWordsFor(row.code).empty());
    EXPECT_EQ(SocketErrorText(10099), "Socket error (10099)");
}

}  // namespace
}  // namespace tavrin
