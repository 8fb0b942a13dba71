#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The server address and RAT port as typed in the Server Details dialog (and
// as servers.cfg holds them). A text is taken as it is or refused with a
// message; nothing typed is ever rewritten into something else.

// Empty when `typed` can be logged in to: an IPv4 address in dotted form
// (four numbers 0 to 255, no leading zeros, which some resolvers read as
// octal) or a host name (dot-separated parts of letters, digits and hyphens),
// resolved when the connection is made. An empty text is the unset address.
// Otherwise the message that says what is wrong.
std::string AddressRefusal(std::string_view typed);

// Empty when `typed` is a RAT port, a number from 1 to 65535, or is empty
// (details not complete yet: Login says so). Otherwise the message.
std::string PortRefusal(std::string_view typed);

}  // namespace tavrin
