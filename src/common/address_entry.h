#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The Address field of the Server Details dialog is an IP-address entry: four
// numbers 0 to 255 separated by dots, any of them still blank while typing.

// True when `typed` can stand in the entry: digits and at most three dots,
// each part at most three digits and at most 255.
bool AcceptsAddressEntry(std::string_view typed);

// What the entry reads: a blank part reads 0, missing parts are blank, so ""
// reads "0.0.0.0" (not set) and "10.1." reads "10.1.0.0". Leading zeros are
// dropped. Text the entry would not accept is returned as it is.
std::string AddressEntryValue(std::string_view typed);

}  // namespace tavrin
