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

}  // namespace zenk::tls
