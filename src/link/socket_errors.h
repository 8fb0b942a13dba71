#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tavrin {

// The socket-library numbers the session logic works with.
enum SocketError : int {
    kSocketOk = 0,
    kWouldBlock = 10035,
    kInProgress = 10036,
    kAlreadyInProgress = 10037,
    kNotSocket = 10038,
    kAddressRequired = 10039,
    kMessageSize = 10040,
    kAddressInUse = 10048,
    kAddressNotAvailable = 10049,
    kNetworkDown = 10050,
    kNetworkUnreachable = 10051,
    kNetworkReset = 10052,
    kConnectionAborted = 10053,
    kConnectionReset = 10054,
    kNoBuffers = 10055,
    kIsConnected = 10056,
    kNotConnected = 10057,
    kShutdown = 10058,
    kTimedOut = 10060,
    kConnectionRefused = 10061,
    kHostDown = 10064,
    kHostUnreachable = 10065,
    kInvalidArgument = 10022,
    kAccessDenied = 10013,
    kInterrupted = 10004,
    kHostNotFound = 11001,
};

struct ErrnoMapping {
    int posix;  // errno value
    int code;   // socket-library number
    std::string_view name;
};

// Every errno the socket layer can meet, with its socket-library number.
std::span<const ErrnoMapping> ErrnoTable();

// The socket-library number for an errno value; 0 stays 0 (a clean close),
// and an errno the table does not hold becomes kConnectionAborted.
int SocketErrorFromErrno(int posix);

struct SocketErrorWords {
    int code;
    std::string_view words;
};

// What each socket-library number means, in words a person reads.
std::span<const SocketErrorWords> SocketErrorWordsTable();

// The words for `code`, empty for a number the table does not hold.
std::string_view SocketErrorWordsFor(int code);

// The words with the number kept: "Connection refused (10061)"; a number
// without words reads "Socket error (N)".
std::string SocketErrorText(int code);

}  // namespace tavrin
