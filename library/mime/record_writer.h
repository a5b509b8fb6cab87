// Buffered writing of an outbox record: the composer's many short pieces
// go to the file in a few large writes. Write results are not examined
// (a failed write leaves a short record, as the outbox rules allow).
#pragma once
#include <cstddef>
#include <cstring>
#include <string_view>

#include "mime/composer_storage.h"

namespace zenk {

class RecordWriter {
public:
    explicit RecordWriter(ComposerFile& file) : file_(file) {}
    ~RecordWriter() { Flush(); }
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    RecordWriter& operator<<(std::string_view text) {
        while (!text.empty()) {
            if (used_ == sizeof buffer_) Flush();
            std::size_t n = text.size() < sizeof buffer_ - used_ ? text.size() : sizeof buffer_ - used_;
            std::memcpy(buffer_ + used_, text.data(), n);
            used_ += n;
            text.remove_prefix(n);
        }
        return *this;
    }

    void Flush() {
        if (used_) file_.Write(buffer_, used_);
        used_ = 0;
    }

private:
    ComposerFile& file_;
    char buffer_[4096];
    std::size_t used_ = 0;
};

inline constexpr std::string_view kCrLf = "\r\n";

}  // namespace zenk
