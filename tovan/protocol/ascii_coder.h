// AsciiEncoder: local text to the network's ASCII form (RFC 959, 3.1.1.1),
// where every line ends with CR LF. Local lines may end with CR LF already
// (Windows) or with a bare LF; both leave as CR LF, nothing is doubled.
// A CR that ends one chunk is remembered, so chunk borders change nothing.
#pragma once
#include <string>

namespace tovan {

class AsciiEncoder {
public:
    // Appends the encoded form of data[0..size) to out.
    void Encode(const char* data, std::size_t size, std::string& out);

private:
    bool lastWasCr_ = false;  // the previous byte (of any chunk) was CR
};

// True when text is fit to send as one command line: no CR, LF or NUL that
// would end it early or smuggle in a second command.
bool IsSafeCommandText(const std::string& text);

}  // namespace tovan
