#include "tls/tls_buffer.h"
#include <cstring>

namespace zenk::tls {

std::size_t RecordBuffer::Take(const char* data, std::size_t n) {
    std::size_t room = kCapacity - size_;
    std::size_t take = n < room ? n : room;
    if (take > 0) {
        std::memcpy(bytes_.data() + size_, data, take);
        size_ += take;
    }
    return take;
}

bool RecordBuffer::KeepLast(std::size_t n) {
    if (n > size_) return false;
    std::memmove(bytes_.data(), bytes_.data() + (size_ - n), n);
    size_ = n;
    return true;
}

RecordHeader CheckRecordHeader(const unsigned char* data, std::size_t n) {
    // change_cipher_spec 20, alert 21, handshake 22, application_data 23.
    if (n >= 1 && (data[0] < 20 || data[0] > 23)) return RecordHeader::kNotTls;
    if (n >= 2 && data[1] != 3) return RecordHeader::kNotTls;
    if (n < 5) return RecordHeader::kIncomplete;
    std::size_t length = (static_cast<std::size_t>(data[3]) << 8) | data[4];
    return length <= kMaxRecordBody ? RecordHeader::kPlausible : RecordHeader::kNotTls;
}

}  // namespace zenk::tls
