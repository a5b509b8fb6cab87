// libFuzzer target: inboxes of several records made from any bytes, scanned
// to the end with every record read whole, bad records included. The input
// is cut into records at each 0xFF byte; a 0xFE byte stands for a line far
// longer than every limit (64 KiB), so long lines meet every state of the
// scanner. Attachment files go to a store in memory that checks that the
// scanner only writes to a file it has open, and no record field may hold
// a line break. Each inbox is scanned twice: as written, and with a
// converter (UTF-8 passes, other sets are refused), so encoded subjects,
// names and text parts are decoded too.
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
    void Remove(const char*) override {
        if (open) __builtin_trap();
    }
};

bool HasLineBreak(const char* text) { return std::strpbrk(text, "\r\n") != nullptr; }

class Utf8Only : public zenk::CharsetConverter {
public:
    bool Convert(std::string_view charset, std::string_view bytes, zenk::GrowBuffer& out) override {
        const zenk::CharsetInfo* set = zenk::FindCharset(charset);
        return set && set->codePage == 65001 && out.Append(bytes);
    }
};

void Touch(const MimeMessageRecord* r) {
    if (HasLineBreak(r->subject) || HasLineBreak(r->from) || HasLineBreak(r->date) || HasLineBreak(r->messageId))
        __builtin_trap();
    for (int i = 0; i < r->toCount; ++i)
        if (HasLineBreak(r->to[i])) __builtin_trap();
    for (int i = 0; i < r->ccCount; ++i)
        if (HasLineBreak(r->cc[i])) __builtin_trap();
    for (int i = 0; i < r->attachmentCount; ++i)
        if (HasLineBreak(r->attachments[i])) __builtin_trap();
    if (r->textLength > 0 && r->text[r->textLength - 1] != '\0') __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string records;
    int count = 1;
    records += "BEGIN MESSAGE\r\n";
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF) {
            records += "\r\n.\r\nEND MESSAGE\r\nBEGIN MESSAGE\r\n";
            ++count;
        } else if (data[i] == 0xFE) {
            records.append(64 * 1024, static_cast<char>(i % 2 ? '-' : 'A'));
        } else {
            records += static_cast<char>(data[i]);
        }
    }
    records += "\r\n.\r\nEND MESSAGE\r\n";
    std::string inbox = "Letters : " + std::to_string(count + 1) + "\r\n" + records;
    Utf8Only converter;
    zenk::CharsetConverter* const converters[] = {nullptr, &converter};
    for (zenk::CharsetConverter* c : converters) {
        zenk::MemorySource source(inbox);
        NullStore store;
        zenk::MimeScanner scanner(&source, store, "dir");
        scanner.SetConverter(c);
        MimeMessageRecord* r = scanner.GetFirst();
        for (int i = 1; i <= scanner.MessageCount(); ++i, r = scanner.GetNext()) {
            if (r) Touch(r);
            if (std::strlen(scanner.TextCharset()) > zenk::kMaxCharsetName) __builtin_trap();
        }
        if (store.open) __builtin_trap();  // a file left open after the last record
    }
    return 0;
}
