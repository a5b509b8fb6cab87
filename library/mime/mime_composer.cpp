// MimeComposer: outbox records holding MIME messages.
#include "mime/mime_composer.h"

#include <cstdio>
#include <cstring>

#include "mime/base64_encode.h"
#include "mime/message_files.h"
#include "mime/text_encoding.h"

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

// Encoded text goes into the record through its writer.
class RecordSink : public EncodedSink {
public:
    explicit RecordSink(RecordWriter& out) : out_(out) {}
    void Put(std::string_view text) override { out_ << text; }

private:
    RecordWriter& out_;
};

// "Subject: " takes 9 of a line's 76 characters.
constexpr std::size_t kSubjectFirstLineRoom = 76 - 9;

}  // namespace

bool HeaderTextLength(const char* text, std::size_t capacity, std::size_t* length) {
    if (!text) return false;
    std::size_t n = BoundedLength(text, capacity);
    if (n >= capacity) return false;
    if (HasLineBreakByte(text, n)) return false;
    *length = n;
    return true;
}

bool EncodedHeaderTextLength(const char* text, std::size_t capacity, std::size_t* length) {
    if (!text) return false;
    std::size_t n = BoundedLength(text, capacity);
    if (n >= capacity) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (text[i] == '\r' || text[i] == '\n') return false;
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
    textEightBit_ = false;
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

int MimeComposer::SetCharset(const char* name) {
    const CharsetInfo* set =
        name ? FindCharset(std::string_view(name, BoundedLength(name, kMaxCharsetName + 1))) : nullptr;
    if (!set || !IsComposableCharset(*set)) return -2;
    charset_ = set;
    return 0;
}

// 0x8A and 0x8D are parts of characters in multi-byte sets (UTF-8
// continuation bytes, double-byte trail bytes) and reach the header only
// encoded. In single-byte sets they stay refused, as in every other field.
bool MimeComposer::TakesEncodedHeaderText(const char* text, std::size_t capacity, std::size_t* n) const {
    if (charset_ && charset_->shape != CharsetShape::kSingleByte)
        return EncodedHeaderTextLength(text, capacity, n);
    return HeaderTextLength(text, capacity, n);
}

int MimeComposer::SetSubject(const char* subject) {
    std::size_t n;
    if (!TakesEncodedHeaderText(subject, kSubjectCapacity, &n)) return -2;
    std::memcpy(subject_, subject, n + 1);
    return 0;
}

int MimeComposer::AddFile(const char* path) {
    std::size_t n;
    // An empty path names no file: it could never be read.
    if (!TakesEncodedHeaderText(path, kPathCapacity, &n) || n == 0) return -2;
    return attachments_.Append(path, n) ? 0 : -2;
}

int MimeComposer::AddData(const void* data, int count) {
    if (!scratch_ || count < 0 || (count > 0 && !data)) return -2;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::size_t lineBytes = textLineBytes_;
    bool eightBit = textEightBit_;
    for (int i = 0; i < count; ++i) {
        eightBit = eightBit || bytes[i] >= 0x80;
        if (bytes[i] == '\n')
            lineBytes = 0;
        else if (++lineBytes > kMaxLineBytes)
            return -2;
    }
    if (count > 0 && !scratch_->Write(data, static_cast<std::size_t>(count))) return -2;
    textLineBytes_ = lineBytes;
    textEightBit_ = eightBit;
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
    if (charset_ && HasEightBitBytes(subject_)) {
        RecordSink sink(out);
        out << "Subject: ";
        WriteEncodedWords(subject_, *charset_, kSubjectFirstLineRoom, sink);
        out << kCrLf;
    } else {
        out << "Subject: " << subject_ << kCrLf;
    }
    out << "Date: " << date_ << kCrLf;
    out << "Message-ID: " << messageId_ << kCrLf;
    out << "MIME-Version: 1.0" << kCrLf;
    out << "X-Mail-Agent: Orvanel v1.0" << kCrLf;
}

// Reads the scratch file from its start and hands each block to take.
// The scratch file stays open and is left positioned at its end, so that
// a record that fails later leaves the message as it was: more text may be
// added and the end tried again. False when it cannot be read whole.
template <typename Take>
bool MimeComposer::ReadText(Take take) {
    std::uint64_t end = 0;
    if (!scratch_->Flush() || !scratch_->Position(&end) || !scratch_->Rewind()) return false;
    char block[kCopyBlock];
    std::uint64_t copied = 0;
    bool going = true;
    while (going && copied < end) {
        long got = scratch_->Read(block, sizeof block);
        if (got <= 0) break;
        going = take(std::string_view(block, static_cast<std::size_t>(got)));
        copied += static_cast<std::uint64_t>(got);
    }
    return scratch_->Seek(end) && (!going || copied == end);
}

// The text's transfer encoding: 7bit for text of 7-bit bytes (or when no
// charset is known, as the composer always did), else quoted-printable or
// base64, whichever makes the shorter part (quoted-printable on a tie).
MimeComposer::TextForm MimeComposer::ChooseTextForm() {
    if (!charset_ || !textEightBit_ || !scratch_) return TextForm::kSevenBit;
    CountingSink qp, b64;
    QuotedPrintableWriter q(qp);
    Base64TextWriter b(b64);
    if (!ReadText([&](std::string_view block) {
            q.Write(block);
            b.Write(block);
            return true;
        }))
        return TextForm::kUnreadable;
    q.Finish();
    b.Finish();
    return qp.count <= b64.count ? TextForm::kQuotedPrintable : TextForm::kBase64;
}

void MimeComposer::WriteTextHeader(RecordWriter& out, TextForm form) {
    if (form == TextForm::kSevenBit) {
        out << "Content-Type: text/plain; charset=us-ascii" << kCrLf;
        out << "Content-Transfer-Encoding: 7bit" << kCrLf << kCrLf;
        return;
    }
    out << "Content-Type: text/plain; charset=" << charset_->name << kCrLf;
    out << "Content-Transfer-Encoding: " << (form == TextForm::kBase64 ? "base64" : "quoted-printable") << kCrLf
        << kCrLf;
}

// Copies the text into the record in its form. Without a scratch file
// there is no text (its writes were refused).
void MimeComposer::CopyText(RecordWriter& out, TextForm form) {
    if (form == TextForm::kUnreadable) return out.Fail();
    if (!scratch_) return;
    RecordSink sink(out);
    QuotedPrintableWriter q(sink);
    Base64TextWriter b(sink);
    const bool read = ReadText([&](std::string_view block) {
        if (form == TextForm::kQuotedPrintable)
            q.Write(block);
        else if (form == TextForm::kBase64)
            b.Write(block);
        else
            out << block;
        return out.Ok();
    });
    if (!read) return out.Fail();
    if (form == TextForm::kQuotedPrintable) q.Finish();
    if (form == TextForm::kBase64) b.Finish();
}

// One base64 part. A file that cannot be opened or read to its end fails
// the record: the recipient must not get an empty or short file while the
// sender is told the message was written.
void MimeComposer::WriteAttachment(RecordWriter& out, const char* path) {
    out << kCrLf << kCrLf << "--" << boundary_ << kCrLf;
    out << "Content-Type: application/octet-stream" << kCrLf;
    out << "Content-Transfer-Encoding: base64" << kCrLf;
    const char* name = AttachmentBaseName(path);
    if (charset_ && HasEightBitBytes(name)) {
        // Readers that know RFC 2231 take filename*, others the stand-in
        // after it (some readers take the first filename they meet).
        char fallback[kPathCapacity];
        AsciiFallbackName(name, fallback, sizeof fallback);
        RecordSink sink(out);
        out << "Content-Disposition: attachment";
        WriteExtendedParameter("filename", name, *charset_, sink);
        out << ";" << kCrLf << " filename=\"" << fallback << "\"" << kCrLf << kCrLf;
    } else {
        out << "Content-Disposition: attachment; filename=\"" << name << "\"" << kCrLf << kCrLf;
    }
    // The path is written in the caller's set, like the name.
    std::unique_ptr<ComposerFile> file(storage_.OpenAttachmentIn(path, charset_ ? charset_->codePage : 0));
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
    const TextForm form = ChooseTextForm();
    WriteRecordHead(out);
    WriteHeaderBlock(out);
    if (attachments_.Empty()) {
        WriteTextHeader(out, form);
        CopyText(out, form);
    } else {
        out << "Content-Type: multipart/mixed; boundary=\"" << boundary_ << "\"" << kCrLf << kCrLf;
        out << "--" << boundary_ << kCrLf;
        WriteTextHeader(out, form);
        CopyText(out, form);
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
