// Safe attachment file names and paths.
#include "mime/attachment_names.h"

#include <cstring>

namespace zenk {
namespace {

bool IsReservedDevice(std::string_view name) {
    // The stem before the first dot decides: "con.txt" is the console too.
    std::string_view stem = name.substr(0, name.find('.'));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    auto same = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char c = a[i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (c != b[i]) return false;
        }
        return true;
    };
    for (const char* device : kDevices)
        if (same(stem, device)) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
        return same(stem.substr(0, 3), "COM") || same(stem.substr(0, 3), "LPT");
    return false;
}

}  // namespace

bool SafeAttachmentName(std::string_view name, char* out, std::size_t capacity) {
    if (capacity == 0) return false;
    out[0] = '\0';
    std::size_t cut = name.find_last_of("/\\:");
    if (cut != std::string_view::npos) name.remove_prefix(cut + 1);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    if (name.empty()) return false;
    std::string_view stem = name, extension;
    if (name.size() >= capacity) {
        // Shortened before the final extension, so the file keeps its type.
        const std::size_t dot = name.rfind('.');
        if (dot != std::string_view::npos && dot > 0) {
            extension = name.substr(dot);
            stem = name.substr(0, dot);
        }
        if (extension.size() > kMaxKeptExtension || extension.size() + 1 >= capacity) return false;
        stem = stem.substr(0, capacity - 1 - extension.size());
    }
    std::size_t n = 0;
    for (std::string_view piece : {stem, extension})
        for (char ch : piece) {
            const unsigned char c = static_cast<unsigned char>(ch);
            out[n++] = (c < 32 || c == 127 || std::strchr("<>\"|?*", c)) ? '_' : static_cast<char>(c);
        }
    out[n] = '\0';
    if (IsReservedDevice(std::string_view(out, n))) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool JoinAttachmentPath(std::string_view folder, std::string_view name, char* out,
                        std::size_t capacity) {
    bool needsSlash = !folder.empty() && folder.back() != '\\' && folder.back() != '/';
    std::size_t length = folder.size() + (needsSlash ? 1 : 0) + name.size();
    if (length > kMaxAttachmentPath || length >= capacity) return false;
    std::memcpy(out, folder.data(), folder.size());
    std::size_t n = folder.size();
    if (needsSlash) out[n++] = '\\';
    std::memcpy(out + n, name.data(), name.size());
    out[length] = '\0';
    return true;
}

}  // namespace zenk
