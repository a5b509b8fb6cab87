#include "protocol/names.h"

#include <cctype>

namespace tovan {

bool ParseHostAndPort(const std::string& typed, std::string& host, unsigned short& port) {
    // Blanks around the whole text are typing slips, not part of a name.
    std::size_t first = typed.find_first_not_of(" \t");
    std::string trimmed = first == std::string::npos ? std::string() : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    std::size_t colon = trimmed.find(':');
    host = trimmed.substr(0, colon);
    port = kFtpPort;
    if (host.empty() || host.find_first_of(" \t") != std::string::npos) return false;
    if (colon == std::string::npos) return true;
    std::string digits = trimmed.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    unsigned long value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<unsigned short>(value);
    return true;
}

bool HasWildcard(const std::string& pattern) {
    return pattern.find_first_of("*?") != std::string::npos;
}

bool WildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase) {
    auto same = [ignoreCase](char a, char b) {
        if (!ignoreCase) return a == b;
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    // Greedy match with one back-track point: the latest '*'.
    std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

namespace {

void SplitAt(const std::string& path, std::size_t cut, std::string& folder, std::string& leaf) {
    if (cut == std::string::npos) {
        folder.clear();
        leaf = path;
    } else {
        folder = path.substr(0, cut + 1);
        leaf = path.substr(cut + 1);
    }
}

}  // namespace

void SplitRemotePath(const std::string& path, std::string& folder, std::string& leaf) {
    SplitAt(path, path.find_last_of('/'), folder, leaf);
}

void SplitLocalPath(const std::string& path, std::string& folder, std::string& leaf) {
    SplitAt(path, path.find_last_of("/\\:"), folder, leaf);
}

std::string RemoteLeaf(const std::string& listed) {
    std::size_t cut = listed.find_last_of('/');
    return cut == std::string::npos ? listed : listed.substr(cut + 1);
}

namespace {

// Names Windows opens as devices, not files, whatever extension follows:
// "nul.txt" is the null device, "COM1.log" a serial port.
// Blanks before the dot do not count ("nul .txt" is the device as well);
// COM and LPT take a digit or, in the ANSI code page, a superscript 1-3.
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (stem == device) return true;
    if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
    unsigned char n = static_cast<unsigned char>(stem[3]);
    return (n >= '0' && n <= '9') || n == 0xB9 || n == 0xB2 || n == 0xB3;
}

}  // namespace

bool IsSafeLocalName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
        if (std::string("/\\:*?\"<>|").find(c) != std::string::npos) return false;
    }
    // Windows drops a trailing dot or blank, so "a." would land on "a".
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsDeviceName(name);
}

std::string LocalUniqueName(const std::string& path, const std::function<bool(const std::string&)>& exists) {
    if (!exists(path)) return path;
    for (int i = 1; i <= kMaxUniqueSuffix; ++i) {
        std::string candidate = path + "." + std::to_string(i);
        if (!exists(candidate)) return candidate;
    }
    return std::string();
}

std::string StoreUniqueName(const std::string& replyText) {
    std::string line = replyText.substr(0, replyText.find_first_of("\r\n"));
    std::size_t at = line.find("FILE:");
    if (at != std::string::npos) {
        std::size_t begin = line.find_first_not_of(' ', at + 5);
        if (begin == std::string::npos) return std::string();
        std::size_t end = line.find_last_not_of(' ');
        return line.substr(begin, end - begin + 1);
    }
    std::size_t open = line.find('"');
    std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) return std::string();
    return line.substr(open + 1, close - open - 1);
}

std::vector<std::string> SplitListing(const std::string& listing) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find('\n', start);
        if (end == std::string::npos) end = listing.size();
        std::string line = listing.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace tovan
