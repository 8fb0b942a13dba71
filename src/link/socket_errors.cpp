#include "link/socket_errors.h"

#include <cerrno>

namespace tavrin {
namespace {

constexpr ErrnoMapping kTable[] = {
    {EWOULDBLOCK, kWouldBlock, "would block"},
    {EINPROGRESS, kInProgress, "in progress"},
    {EALREADY, kAlreadyInProgress, "already in progress"},
    {ENOTSOCK, kNotSocket, "not a socket"},
    {EDESTADDRREQ, kAddressRequired, "address required"},
    {EMSGSIZE, kMessageSize, "message too long"},
    {EADDRINUSE, kAddressInUse, "address in use"},
    {EADDRNOTAVAIL, kAddressNotAvailable, "address not available"},
    {ENETDOWN, kNetworkDown, "network down"},
    {ENETUNREACH, kNetworkUnreachable, "network unreachable"},
    {ENETRESET, kNetworkReset, "network reset"},
    {ECONNABORTED, kConnectionAborted, "connection aborted"},
    {EPIPE, kConnectionAborted, "broken pipe"},
    {ECONNRESET, kConnectionReset, "connection reset by peer"},
    {ENOBUFS, kNoBuffers, "no buffer space"},
    {ENOMEM, kNoBuffers, "out of memory"},
    {EISCONN, kIsConnected, "already connected"},
    {ENOTCONN, kNotConnected, "not connected"},
    {ESHUTDOWN, kShutdown, "shut down"},
    {ETIMEDOUT, kTimedOut, "timed out"},
    {ECONNREFUSED, kConnectionRefused, "connection refused"},
    {EHOSTDOWN, kHostDown, "host down"},
    {EHOSTUNREACH, kHostUnreachable, "host unreachable"},
    {EINVAL, kInvalidArgument, "invalid argument"},
    {EACCES, kAccessDenied, "access denied"},
    {EPERM, kAccessDenied, "not permitted"},
    {EINTR, kInterrupted, "interrupted"},
};

constexpr SocketErrorWords kWords[] = {
    {kInterrupted, "Interrupted"},
    {kAccessDenied, "Access denied"},
    {kInvalidArgument, "Invalid argument"},
    {kWouldBlock, "Would block"},
    {kInProgress, "In progress"},
    {kAlreadyInProgress, "Already in progress"},
    {kNotSocket, "Not a socket"},
    {kAddressRequired, "Address required"},
    {kMessageSize, "Message too long"},
    {kAddressInUse, "Address in use"},
    {kAddressNotAvailable, "Address not available"},
    {kNetworkDown, "Network down"},
    {kNetworkUnreachable, "Network unreachable"},
    {kNetworkReset, "Network reset"},
    {kConnectionAborted, "Connection aborted"},
    {kConnectionReset, "Connection reset by the server"},
    {kNoBuffers, "No buffer space"},
    {kIsConnected, "Already connected"},
    {kNotConnected, "Not connected"},
    {kShutdown, "Shut down"},
    {kTimedOut, "Timed out"},
    {kConnectionRefused, "Connection refused"},
    {kHostDown, "Host down"},
    {kHostUnreachable, "Host unreachable"},
    {kHostNotFound, "Name not found"},
};

}  // namespace

std::span<const SocketErrorWords> SocketErrorWordsTable() {
    return kWords;
}

std::string_view SocketErrorWordsFor(int code) {
    for (const auto& row : kWords)
        if (row.code == code) return row.words;
    return {};
}

std::string SocketErrorText(int code) {
    std::string_view words = SocketErrorWordsFor(code);
    if (words.empty()) words = "Socket error";
    return std::string(words) + " (" + std::to_string(code) + ")";
}

std::span<const ErrnoMapping> ErrnoTable() {
    return kTable;
}

int SocketErrorFromErrno(int posix) {
    if (posix == 0) return kSocketOk;
    if (posix == EAGAIN) return kWouldBlock;  // the same value as EWOULDBLOCK on Linux
    for (const auto& row : kTable)
        if (row.posix == posix) return row.code;
    return kConnectionAborted;
}

}  // namespace tavrin
