// Strings, lists and text of a MimeMessageRecord.
#include "mime/message_record.h"

#include <cstring>
#include <new>

namespace zenk {
namespace {

// A new NUL-terminated copy of text, or null.
char* NewString(std::string_view text) {
    char* s = new (std::nothrow) char[text.size() + 1];
    if (!s) return nullptr;
    if (!text.empty()) std::memcpy(s, text.data(), text.size());
    s[text.size()] = '\0';
    return s;
}

}  // namespace

void MessageRecordContent::Free() {
    for (int i = 0; i < record_.toCount && i < ZENK_MIME_MAX_TO; ++i) delete[] record_.to[i];
    for (int i = 0; i < record_.ccCount && i < ZENK_MIME_MAX_CC; ++i) delete[] record_.cc[i];
    for (int i = 0; i < record_.attachmentCount && i < ZENK_MIME_MAX_ATTACHMENTS; ++i)
        delete[] record_.attachments[i];
    delete[] record_.text;
    std::memset(&record_, 0, sizeof record_);
    textCapacity_ = 0;
    toLast_ = ccLast_ = JoinedEntry{};
}

bool MessageRecordContent::NewText(std::size_t capacity) {
    delete[] record_.text;
    record_.text = new (std::nothrow) char[capacity]();
    record_.textLength = 0;
    textCapacity_ = record_.text ? capacity : 0;
    return record_.text != nullptr;
}

void MessageRecordContent::ClearText() {
    record_.textLength = 0;
    if (record_.text) record_.text[0] = '\0';
}

bool MessageRecordContent::AppendText(const char* bytes, std::size_t n) {
    const std::size_t used = record_.textLength > 0 ? static_cast<std::size_t>(record_.textLength) - 1 : 0;
    const std::size_t needed = used + n + 1;
    if (needed > 0x7fffffffu) return false;  // textLength is a 32-bit count
    if (!record_.text || needed > textCapacity_) {
        // At least the needed size plus 96 bytes, and at least twice the old
        // capacity: growing by a line at a time would copy the whole text
        // again for every line, and a text of megabytes would take minutes.
        std::size_t capacity = needed + 96;
        if (capacity < 2 * textCapacity_) capacity = 2 * textCapacity_;
        if (capacity > 0x7fffffffu) capacity = needed;
        char* grown = new (std::nothrow) char[capacity];
        if (!grown && capacity > needed) grown = new (std::nothrow) char[capacity = needed];
        if (!grown) return false;
        if (used) std::memcpy(grown, record_.text, used);
        delete[] record_.text;
        record_.text = grown;
        textCapacity_ = capacity;
    }
    if (n) std::memcpy(record_.text + used, bytes, n);
    record_.text[used + n] = '\0';
    record_.textLength = static_cast<int>(needed);
    return true;
}

void MessageRecordContent::AddListEntry(char** list, int& count, int capacity, std::string_view value,
                                        JoinedEntry& last) {
    if (count < capacity) {
        if (char* s = NewString(value)) list[count++] = s;
        return;
    }
    char*& entry = list[capacity - 1];
    if (last.capacity == 0) last.length = std::strlen(entry);
    const std::size_t length = last.length + 2 + value.size();
    if (length > kMaxJoinedEntry) return;
    if (length + 1 > last.capacity) {
        std::size_t grown = 2 * (last.capacity ? last.capacity : last.length + 1);
        if (grown < length + 1) grown = length + 1;
        if (grown > kMaxJoinedEntry + 1) grown = kMaxJoinedEntry + 1;
        char* block = new (std::nothrow) char[grown];
        if (!block) return;
        std::memcpy(block, entry, last.length);
        delete[] entry;
        entry = block;
        last.capacity = grown;
    }
    std::memcpy(entry + last.length, ", ", 2);
    if (!value.empty()) std::memcpy(entry + last.length + 2, value.data(), value.size());
    entry[length] = '\0';
    last.length = length;
}

bool MessageRecordContent::AddAttachment(std::string_view path) {
    if (AttachmentsFull()) return false;
    char* s = NewString(path);
    if (!s) return false;
    record_.attachments[record_.attachmentCount++] = s;
    return true;
}

}  // namespace zenk
