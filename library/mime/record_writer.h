// Buffered writing of an outbox record: the composer's many short pieces
// go to the file in a few large writes. The first failed write is kept:
// once a write has failed nothing more is written, and Ok() says so, so
// the caller can take the short record back instead of reporting success.
#pragma once
#include <cstddef>
#include <cstring>
#include <string_view>

#include "mime/composer_storage.h"

namespace zenk {

class RecordWriter {
public:
    explicit RecordWriter(ComposerFile& file) : file_(file) {}
    // Callers flush and check before this; a failure here stays in Ok().
    ~RecordWriter() { static_cast<void>(Flush()); }
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    RecordWriter& operator<<(std::string_view text) {
        while (!text.empty() && ok_) {
            if (used_ == sizeof buffer_ && !Flush()) break;
            std::size_t n = text.size() < sizeof buffer_ - used_ ? text.size() : sizeof buffer_ - used_;
            std::memcpy(buffer_ + used_, text.data(), n);
            used_ += n;
            text.remove_prefix(n);
        }
        return *this;
    }

    // Writes what is buffered. False once any write has failed.
    [[nodiscard]] bool Flush() {
        if (used_ && ok_ && !file_.Write(buffer_, used_)) ok_ = false;
        used_ = 0;
        return ok_;
    }

    // Marks the record as failed for a reason outside the writer (an
    // attachment or the text could not be read).
    void Fail() { ok_ = false; }
    bool Ok() const { return ok_; }

private:
    ComposerFile& file_;
    char buffer_[4096];
    std::size_t used_ = 0;
    bool ok_ = true;  // no write has failed
};

inline constexpr std::string_view kCrLf = "\r\n";

}  // namespace zenk
