// Data connection addresses: the 227 reply to PASV and the PORT argument.
//
// RFC 959 writes an IPv4 address and port as six decimal numbers
// "h1,h2,h3,h4,p1,p2" with port = p1 * 256 + p2.
#pragma once
#include <cstdint>
#include <string>

namespace tovan {

struct DataAddress {
    std::uint8_t ip[4] = {0, 0, 0, 0};
    std::uint16_t port = 0;
};

// Finds "h1,h2,h3,h4,p1,p2" in the text of a 227 reply (with or without
// parentheses, as servers differ). False when there is none, when a number
// passes 255, or when the port is 0.
bool ParsePassiveReply(const std::string& text, DataAddress& out);

// "h1,h2,h3,h4,p1,p2" for the PORT command.
std::string FormatPortArgument(const DataAddress& address);

}  // namespace tovan
