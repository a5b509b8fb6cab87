// The "a.b.c.d+e.f.g.h" address list text of the host queries. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zenk {

// Capacity of an address list buffer, terminator included.
constexpr std::size_t kAddressListCapacity = 128;

// Clears the first `capacity` bytes of text, then writes the addresses (each
// four bytes in network order, as in a host entry) in dotted decimal form
// joined by "+". An address that would not fit whole, terminator included,
// ends the list: the text is cut at a whole address, never mid-way.
// Returns the number of addresses written.
std::size_t FormatAddressList(const std::uint8_t (*addresses)[4], std::size_t count,
                              char* text, std::size_t capacity = kAddressListCapacity);

}  // namespace zenk
