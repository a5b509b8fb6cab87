// Growing buffers and whole-line reading.
#include "mime/scan_line.h"

#include <cstring>
#include <new>

#include "core/byte_search.h"

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

long ScanReader::Fill() {
    if (!source_) return -1;
    blockStart_ += filled_;
    filled_ = used_ = 0;
    const long got = source_->Read(block_, sizeof block_);
    if (got > 0) filled_ = static_cast<std::size_t>(got);
    return got;
}

bool ScanReader::Seek(std::uint64_t position) {
    if (position >= blockStart_ && position <= blockStart_ + filled_) {
        used_ = static_cast<std::size_t>(position - blockStart_);
        return true;
    }
    if (!source_ || !source_->Seek(position)) return false;
    blockStart_ = position;
    filled_ = used_ = 0;
    return true;
}

long ScanReader::Read(void* buffer, std::size_t size) {
    if (size == 0) return 0;
    if (used_ == filled_) {
        const long got = Fill();
        if (got <= 0) return got;
    }
    const std::size_t n = size < filled_ - used_ ? size : filled_ - used_;
    std::memcpy(buffer, block_ + used_, n);
    used_ += n;
    return static_cast<long>(n);
}

int ScanReader::PeekByte() {
    if (used_ == filled_ && Fill() <= 0) return -1;
    return block_[used_];
}

template <class Take>
int ScanReader::ReadPieces(Take&& take) {
    bool any = false;
    for (;;) {
        if (used_ == filled_) {
            const long got = Fill();
            if (got < 0) return -1;
            if (got == 0) return any ? 2 : 0;
        }
        any = true;
        const unsigned char* from = block_ + used_;
        const std::size_t left = filled_ - used_;
        const unsigned char* lf = FindByte(from, left, '\n');
        const std::size_t n = lf ? static_cast<std::size_t>(lf - from) : left;
        if (n) take(from, n);
        used_ += lf ? n + 1 : n;
        if (lf) return 1;
    }
}

bool ScanReader::ReadLine(ScanLine& line) {
    line.bytes.Clear();
    line.cut = false;
    const int ended = ReadPieces([&line](const unsigned char* from, std::size_t n) {
        if (!line.cut &&
            (line.bytes.Size() + n > kMaxScanLine || !line.bytes.Append(reinterpret_cast<const char*>(from), n)))
            line.cut = true;
    });
    if (ended <= 0) return false;
    const std::string_view text = line.View();
    if (!text.empty() && text.back() == '\r') line.bytes.Truncate(text.size() - 1);
    return true;
}

bool ScanReader::ReadLineSkippingRest(Line& line) {
    line.length = 0;
    line.text[0] = '\0';
    std::size_t count = 0;  // bytes kept, at most kMaxLineBytes
    bool cut = false;
    const int ended = ReadPieces([&](const unsigned char* from, std::size_t n) {
        const std::size_t keep = n < kMaxLineBytes - count ? n : kMaxLineBytes - count;
        std::memcpy(line.text + count, from, keep);
        count += keep;
        if (keep < n) cut = true;
    });
    if (ended <= 0) return false;
    if (ended == 1 && !cut && count > 0 && line.text[count - 1] == '\r') --count;
    line.length = count;
    line.text[count] = '\0';
    return true;
}

bool ReadReaderLineSkippingRest(ByteSource& source, Line& line) {
    return static_cast<ScanReader&>(source).ReadLineSkippingRest(line);
}

}  // namespace zenk
