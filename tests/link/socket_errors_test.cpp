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

}  // namespace
}  // namespace tavrin
