// MimeComposer: outbox records holding MIME messages.
#include "mime/mime_composer.h"

#include <cstdio>
#include <cstring>

#include "mime/base64_encode.h"
#include "mime/message_files.h"

namespace zenk {

namespace {

std::size_t BoundedLength(const char* text, std::size_t limit) {
    std::size_t n = 0;
    while (n < limit && text[n]) ++n;
    return n;
}

bool HasLineBreakByte(const char* text, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (IsLineBreakByte(text[i])) return true;
    return false;
}

}  // namespace

bool HeaderTextLength(const char* text, std::size_t capacity, std::size_t* length) {
    if (!text) return false;
    std::size_t n = BoundedLength(text, capacity);
    if (n >= capacity) return false;
    if (HasLineBreakByte(text, n)) return false;
    *length = n;
    return true;
}

const char* AttachmentBaseName(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

MimeComposer::~MimeComposer() = default;

int MimeComposer::Start(const char* outboxPath, const char* sender) {
    if (sender) {
        std::size_t n = BoundedLength(sender, kAddressCapacity);
        if (HasLineBreakByte(sender, n)) return -2;
        if (n < kAddressCapacity) std::memcpy(sender_, sender, n + 1);
    }
    if (outboxPath) outbox_.reset(storage_.CreateOutbox(outboxPath));
    return 0;
}

void MimeComposer::DropScratch() {
    if (!scratch_) return;
    scratch_.reset();
    storage_.DeleteScratch();
}

int MimeComposer::NewMessage() {
    to_.Clear();
    cc_.Clear();
    attachments_.Clear();
    date_[0] = messageId_[0] = subject_[0] = boundary_[0] = '\0';
    textLineBytes_ = 0;
    // A message left open must not keep its scratch file: the new one has
    // the same name and could not be created.
    DropScratch();
    if (recordCount_ >= kMaxRecords) return -2;
    scratch_.reset(storage_.CreateScratch());
    return 0;
}

int MimeComposer::AddTo(const char* address) {
    std::size_t n;
    if (!HeaderTextLength(address, kAddressCapacity, &n)) return -2;
    return to_.Append(address, n) ? 0 : -2;
}

int MimeComposer::AddCc(const char* address) {
    std::size_t n;
    if (!HeaderTextLength(address, kAddressCapacity, &n)) return -2;
    return cc_.Append(address, n) ? 0 : -2;
}

int MimeComposer::SetSubject(const char* subject) {
    std::size_t n;
    if (!HeaderTextLength(subject, kSubjectCapacity, &n)) return -2;
    std::memcpy(subject_, subject, n + 1);
    return 0;
}

int MimeComposer::AddFile(const char* path) {
    std::size_t n;
    // An empty path names no file: it could never be read.
    if (!HeaderTextLength(path, kPathCapacity, &n) || n == 0) return -2;
    return attachments_.Append(path, n) ? 0 : -2;
}

int MimeComposer::AddData(const void* data, int count) {
    if (!scratch_ || count < 0 || (count > 0 && !data)) return -2;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::size_t lineBytes = textLineBytes_;
    for (int i = 0; i < count; ++i) {
        if (bytes[i] == '\n')
            lineBytes = 0;
        else if (++lineBytes > kMaxLineBytes)
            return -2;
    }
    if (count > 0 && !scratch_->Write(data, static_cast<std::size_t>(count))) return -2;
    textLineBytes_ = lineBytes;
    return 0;
}

void MimeComposer::WriteCountLine(RecordWriter& out, int count) {
    char line[24];
    std::snprintf(line, sizeof line, "Letters : %03d\r\n", count);
    out << line;
}

// The record's count line carries its own number in the file, so that the
// first line, rewritten at Finish, matches the records that follow it.
void MimeComposer::WriteRecordHead(RecordWriter& out) {
    WriteCountLine(out, recordCount_ + 1);
    out << "FROM:<" << sender_ << ">" << kCrLf;
    out << kBeginMessageHeader << kCrLf;
    for (auto* e = to_.First(); e; e = e->next) out << kRecipientPrefix << e->text << ">" << kCrLf;
    for (auto* e = cc_.First(); e; e = e->next) out << kRecipientPrefix << e->text << ">" << kCrLf;
    out << kEndMessageHeader << kCrLf;
    out << kBeginData << kCrLf;
}

void MimeComposer::WriteHeaderBlock(RecordWriter& out) {
    out << "From: " << sender_ << kCrLf;
    for (auto* e = to_.First(); e; e = e->next) out << "To: " << e->text << kCrLf;
    for (auto* e = cc_.First(); e; e = e->next) out << "Cc: " << e->text << kCrLf;
    out << "Subject: " << subject_ << kCrLf;
    out << "Date: " << date_ << kCrLf;
    out << "Message-ID: " << messageId_ << kCrLf;
    out << "MIME-Version: 1.0" << kCrLf;
    out << "X-Mail-Agent: Orvanel v1.0" << kCrLf;
}

// Copies the scratch file into the record. The scratch file stays open
// and is left positioned at its end, so that a record that fails later
// leaves the message as it was: more text may be added and the end tried
// again. Without a scratch file there is no text (its writes were refused).
void MimeComposer::CopyText(RecordWriter& out) {
    if (!scratch_) return;
    std::uint64_t end = 0;
    if (!scratch_->Flush() || !scratch_->Position(&end) || !scratch_->Rewind()) return out.Fail();
    char block[kCopyBlock];
    std::uint64_t copied = 0;
    while (out.Ok() && copied < end) {
        long got = scratch_->Read(block, sizeof block);
        if (got <= 0) break;
        out << std::string_view(block, static_cast<std::size_t>(got));
        copied += static_cast<std::uint64_t>(got);
    }
    if (copied != end) out.Fail();
    if (!scratch_->Seek(end)) out.Fail();
}

// One base64 part. A file that cannot be opened or read to its end fails
// the record: the recipient must not get an empty or short file while the
// sender is told the message was written.
void MimeComposer::WriteAttachment(RecordWriter& out, const char* path) {
    out << kCrLf << kCrLf << "--" << boundary_ << kCrLf;
    out << "Content-Type: application/octet-stream" << kCrLf;
    out << "Content-Transfer-Encoding: base64" << kCrLf;
    out << "Content-Disposition: attachment; filename=\"" << AttachmentBaseName(path) << "\"" << kCrLf << kCrLf;
    std::unique_ptr<ComposerFile> file(storage_.OpenAttachment(path));
    if (!file) return out.Fail();
    unsigned char block[kBase64BlockBytes];
    char line[kBase64LineChars + 2];
    while (out.Ok()) {
        long got = file->Read(block, sizeof block);
        if (got < 0) return out.Fail();
        if (got == 0) break;
        std::size_t n = Base64Encode(block, static_cast<std::size_t>(got), line);
        line[n++] = '\r';
        line[n++] = '\n';
        out << std::string_view(line, n);
    }
}

void MimeComposer::WriteRecord(RecordWriter& out) {
    WriteRecordHead(out);
    WriteHeaderBlock(out);
    if (attachments_.Empty()) {
        out << "Content-Type: text/plain; charset=us-ascii" << kCrLf;
        out << "Content-Transfer-Encoding: 7bit" << kCrLf << kCrLf;
        CopyText(out);
    } else {
        out << "Content-Type: multipart/mixed; boundary=\"" << boundary_ << "\"" << kCrLf << kCrLf;
        out << "--" << boundary_ << kCrLf;
        out << "Content-Type: text/plain; charset=us-ascii" << kCrLf;
        out << "Content-Transfer-Encoding: 7bit" << kCrLf << kCrLf;
        CopyText(out);
        for (auto* e = attachments_.First(); e && out.Ok(); e = e->next) WriteAttachment(out, e->text);
        out << kCrLf << "--" << boundary_ << "--";
    }
    out << kCrLf << kEndData << kCrLf;
}

int MimeComposer::EndMessage() {
    if (to_.Empty()) return -2;
    if (recordCount_ >= kMaxRecords) return -2;
    // The record closes an unfinished last line with CR LF: that line and
    // its CR must still fit the readers' 999 bytes before the LF. Refused
    // with the message left open, so the caller can add the line end.
    if (textLineBytes_ >= kMaxLineBytes) return -2;
    CivilTime local, utc;
    storage_.Now(&local, &utc);
    FormatDate(local, utc, date_, sizeof date_);
    FormatMessageId(local, sender_, messageId_, sizeof messageId_);
    FormatBoundary(local, boundary_, sizeof boundary_);
    // After a record that could not be taken back the file's end holds a
    // broken record; a new one behind it could be read as part of it.
    if (!outbox_ || outboxDamaged_) return -2;

    std::uint64_t recordStart = 0;
    if (!outbox_->Position(&recordStart)) return -2;
    bool written;
    {
        RecordWriter out(*outbox_);
        WriteRecord(out);
        written = out.Flush();
    }
    if (!written) {
        // Nothing of a failed record stays in the outbox.
        if (!outbox_->Truncate(recordStart)) outboxDamaged_ = true;
        return -2;
    }
    ++recordCount_;
    DropScratch();
    return 0;
}

int MimeComposer::Finish() {
    int result = 0;
    if (outbox_) {
        bool written = outbox_->Rewind();
        if (written) {
            RecordWriter out(*outbox_);
            WriteCountLine(out, recordCount_);
            written = out.Flush();
        }
        if (!outbox_->Flush() || !written) result = -2;
        outbox_.reset();
    }
    if (scratch_) {
        scratch_->Flush();
        scratch_.reset();
    }
    to_.Clear();
    cc_.Clear();
    attachments_.Clear();
    return result;
}

}  // namespace zenk
