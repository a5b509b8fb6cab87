// Growing buffers and whole-line reading.
#include "mime/scan_line.h"

#include <cstring>
#include <new>

namespace zenk {

bool GrowBuffer::Reserve(std::size_t n) {
    if (n < capacity_) return true;
    std::size_t capacity = capacity_ ? capacity_ : 256;
    while (capacity <= n) {
        if (capacity > (static_cast<std::size_t>(-1) >> 2)) return false;
        capacity *= 2;
    }
    char* grown = new (std::nothrow) char[capacity];
    if (!grown) return false;
    if (size_) std::memcpy(grown, data_, size_);
    grown[size_] = '\0';
    delete[] data_;
    data_ = grown;
    capacity_ = capacity;
    return true;
}

bool GrowBuffer::Append(const char* bytes, std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / 2 - size_ || !Reserve(size_ + n)) return false;
    if (n) std::memcpy(data_ + size_, bytes, n);
    size_ += n;
    data_[size_] = '\0';
    return true;
}

void GrowBuffer::Clear() { Truncate(0); }

void GrowBuffer::Truncate(std::size_t n) {
    if (n > size_) return;
    size_ = n;
    if (data_) data_[size_] = '\0';
}

bool ReadScanLine(ByteSource& source, ScanLine& line) {
    line.bytes.Clear();
    line.cut = false;
    bool any = false;
    char chunk[256];
    std::size_t held = 0;
    // One byte per read: the position after a line is exactly the start of
    // the next one. Bytes gather in chunk and go to the buffer in blocks.
    auto flush = [&] {
        if (held && !line.cut) {
            if (line.bytes.Size() + held > kMaxScanLine || !line.bytes.Append(chunk, held)) line.cut = true;
        }
        held = 0;
    };
    for (;;) {
        unsigned char byte;
        const long got = source.Read(&byte, 1);
        if (got < 0) return false;
        if (got == 0) {
            if (!any) return false;
            break;  // a last line without LF
        }
        any = true;
        if (byte == '\n') break;
        chunk[held++] = static_cast<char>(byte);
        if (held == sizeof chunk) flush();
    }
    flush();
    const std::string_view text = line.View();
    if (!text.empty() && text.back() == '\r') line.bytes.Truncate(text.size() - 1);
    return true;
}

bool ReadLineSkippingRest(ByteSource& source, Line& line) {
    line.length = 0;
    line.text[0] = '\0';
    std::size_t count = 0;  // bytes kept, at most kMaxLineBytes
    bool any = false, cut = false;
    for (;;) {
        unsigned char byte;
        const long got = source.Read(&byte, 1);
        if (got < 0) return false;
        if (got == 0) {
            if (!any) return false;
            break;
        }
        any = true;
        if (byte == '\n') {
            if (!cut && count > 0 && line.text[count - 1] == '\r') --count;
            break;
        }
        if (count < kMaxLineBytes)
            line.text[count++] = static_cast<char>(byte);
        else
            cut = true;
    }
    line.length = count;
    line.text[count] = '\0';
    return true;
}

}  // namespace zenk
