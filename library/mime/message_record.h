// MessageRecordContent: fills and frees what a MimeMessageRecord points to.
//
// The record crosses the library boundary with a fixed layout
// (zenk32_defs.h); its strings and its text are owned here and freed when
// the scanner moves on. Portable.
#pragma once
#include <cstddef>
#include <string_view>

#include "zenk32_defs.h"

namespace zenk {

class MessageRecordContent {
public:
    explicit MessageRecordContent(MimeMessageRecord& record) : record_(record) {}
    ~MessageRecordContent() { Free(); }
    MessageRecordContent(const MessageRecordContent&) = delete;
    MessageRecordContent& operator=(const MessageRecordContent&) = delete;

    // Frees every string and the text and zero-fills the record.
    void Free();

    // Gives the record a new, empty text of capacity bytes (the old one is
    // freed). False when it cannot be allocated; the record then has none.
    bool NewText(std::size_t capacity);
    bool HasText() const { return record_.text != nullptr; }
    // Empties the text without freeing it.
    void ClearText();
    // Appends n bytes, keeping the text NUL-terminated and textLength equal
    // to its bytes with the NUL. When the text is too small a block of the
    // needed size plus 96 bytes replaces it. False when that fails.
    [[nodiscard]] bool AppendText(const char* bytes, std::size_t n);

    // One entry per To or Cc header line. The record has room for
    // ZENK_MIME_MAX_TO (and _CC) entries; the values of further lines are
    // joined to the last entry, separated by ", ", until that entry holds
    // kMaxJoinedEntry characters; a value that would pass that, or that
    // cannot be allocated, is left out. Joining grows the entry by doubling,
    // so thousands of lines take linear time.
    static constexpr std::size_t kMaxJoinedEntry = 65535;
    void AddTo(std::string_view value) { AddListEntry(record_.to, record_.toCount, ZENK_MIME_MAX_TO, value, toLast_); }
    void AddCc(std::string_view value) { AddListEntry(record_.cc, record_.ccCount, ZENK_MIME_MAX_CC, value, ccLast_); }

    bool AttachmentsFull() const { return record_.attachmentCount >= ZENK_MIME_MAX_ATTACHMENTS; }
    // Lists the path of an attachment file. False when the list is full or
    // the path cannot be allocated.
    bool AddAttachment(std::string_view path);

private:
    // The last entry of a full list as it grows: its length and its block.
    struct JoinedEntry {
        std::size_t length = 0;
        std::size_t capacity = 0;  // 0: the entry is still the plain copy of its line
    };
    static void AddListEntry(char** list, int& count, int capacity, std::string_view value, JoinedEntry& last);

    MimeMessageRecord& record_;
    std::size_t textCapacity_ = 0;  // bytes allocated for record_.text
    JoinedEntry toLast_, ccLast_;
};

}  // namespace zenk
