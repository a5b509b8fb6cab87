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

}  // namespace

bool HeaderTextLength(const char* text, std::size_t capacity, std::size_t* length) {
    if (!text) return false;
    std::size_t n = BoundedLength(text, capacity);
    if (n >= capacity) return false;
    if (std::memchr(text, '\r', n) || std::memchr(text, '\n', n)) return false;
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
        if (std::memchr(sender, '\r', n) || std::memchr(sender, '\n', n)) return -2;
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
    if (messageCount_ >= kMaxMessages) {
        limitReached_ = true;
        return -2;
    }
    ++messageCount_;
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
    if (!HeaderTextLength(path, kPathCapacity, &n)) return -2;
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

void MimeComposer::WriteCountLine(RecordWriter& out) {
    char line[24];
    std::snprintf(line, sizeof line, "Letters : %03d\r\n", messageCount_);
    out << line;
}

void MimeComposer::WriteRecordHead(RecordWriter& out) {
    WriteCountLine(out);
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

void MimeComposer::CopyText(RecordWriter& out) {
    if (!scratch_) return;
    out.Flush();
    scratch_->Flush();
    scratch_->Rewind();
    char block[kCopyBlock];
    for (;;) {
        long got = scratch_->Read(block, sizeof block);
        if (got <= 0) break;
        out << std::string_view(block, static_cast<std::size_t>(got));
    }
    scratch_.reset();
    storage_.DeleteScratch();
}

void MimeComposer::WriteAttachment(RecordWriter& out, const char* path) {
    out << kCrLf << kCrLf << "--" << boundary_ << kCrLf;
    out << "Content-Type: application/octet-stream" << kCrLf;
    out << "Content-Transfer-Encoding: base64" << kCrLf;
    out << "Content-Disposition: attachment; filename=\"" << AttachmentBaseName(path) << "\"" << kCrLf << kCrLf;
    if (!path[0]) return;
    std::unique_ptr<ComposerFile> file(storage_.OpenAttachment(path));
    if (!file) return;
    unsigned char block[kBase64BlockBytes];
    char line[kBase64LineChars + 2];
    for (;;) {
        long got = file->Read(block, sizeof block);
        if (got <= 0) break;
        std::size_t n = Base64Encode(block, static_cast<std::size_t>(got), line);
        line[n++] = '\r';
        line[n++] = '\n';
        out << std::string_view(line, n);
    }
}

int MimeComposer::EndMessage() {
    if (to_.Empty()) return -2;
    if (limitReached_) return -2;
    // The record closes an unfinished last line with CR LF: that line and
    // its CR must still fit the readers' 999 bytes before the LF. Refused
    // with the message left open, so the caller can add the line end.
    if (textLineBytes_ >= kMaxLineBytes) return -2;
    CivilTime local, utc;
    storage_.Now(&local, &utc);
    FormatDate(local, utc, date_, sizeof date_);
    FormatMessageId(local, sender_, messageId_, sizeof messageId_);
    FormatBoundary(local, boundary_, sizeof boundary_);
    if (!outbox_) return -2;

    RecordWriter out(*outbox_);
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
        for (auto* e = attachments_.First(); e; e = e->next) WriteAttachment(out, e->text);
        out << kCrLf << "--" << boundary_ << "--";
    }
    out << kCrLf << kEndData << kCrLf;
    return 0;
}

int MimeComposer::Finish() {
    if (outbox_) {
        outbox_->Rewind();
        {
            RecordWriter out(*outbox_);
            WriteCountLine(out);
        }
        outbox_->Flush();
        outbox_.reset();
    }
    if (scratch_) {
        scratch_->Flush();
        scratch_.reset();
    }
    to_.Clear();
    cc_.Clear();
    attachments_.Clear();
    return 0;
}

}  // namespace zenk
