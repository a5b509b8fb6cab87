// libFuzzer target: any inbox bytes, scanned to the end with every record
// read whole. Attachment files go to a store in memory that checks that the
// scanner only writes to a file it has open.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "mime/mime_scanner.h"

namespace {

class NullStore : public zenk::AttachmentStore {
public:
    bool open = false;
    int made = 0;
    bool CreateNew(const char*) override { return open = (made++ % 2 == 0); }
    Unique CreateUnique(const char*, char* path, std::size_t capacity) override {
        std::snprintf(path, capacity, "QDF%d.tmp", made++);
        open = true;
        return Unique::kOpened;
    }
    bool Write(const void*, std::size_t) override {
        if (!open) __builtin_trap();
        return true;
    }
    void Close() override { open = false; }
    void Discard() override { open = false; }
};

void Touch(const MimeMessageRecord* r) {
    volatile std::size_t sum = std::strlen(r->subject) + std::strlen(r->from);
    for (int i = 0; i < r->toCount; ++i) sum = sum + std::strlen(r->to[i]);
    for (int i = 0; i < r->ccCount; ++i) sum = sum + std::strlen(r->cc[i]);
    for (int i = 0; i < r->attachmentCount; ++i) sum = sum + std::strlen(r->attachments[i]);
    if (r->textLength > 0 && r->text[r->textLength - 1] != '\0') __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string inbox = "Letters : 5\r\n" + std::string(reinterpret_cast<const char*>(data), size);
    zenk::MemorySource source(inbox);
    NullStore store;
    zenk::MimeScanner scanner(&source, store, "dir");
    for (MimeMessageRecord* r = scanner.GetFirst(); r; r = scanner.GetNext()) Touch(r);
    return 0;
}
