// MimeScanner: messages, main header fields and the plain body step.
#include "mime/mime_scanner.h"

#include <cstring>
#include <new>

#include "mime/header_fields.h"
#include "mime/transfer_decoding.h"

namespace zenk {

MimeScanner::MimeScanner(ByteSource* inbox, AttachmentStore& store, const char* attachmentDir)
    : inbox_(inbox), reader_(inbox), store_(store) {
    if (attachmentDir && std::strlen(attachmentDir) < kAttachmentDirCapacity)
        std::strcpy(attachmentDir_, attachmentDir);
    if (!inbox_) return;
    Line first;
    if (ReadLine(reader_, first)) ParseCountLine(first, kInboxCountAt, &count_);
    if (count_ < 0) count_ = 0;
    firstMessageAt_ = reader_.Tell();
    if (count_ > 0) {
        index_ = 1;
        content_.NewText(kInitialText);
    }
}

MimeScanner::~MimeScanner() {
    if (inAttachment_) store_.Close();
    FreeMessage();
}

void MimeScanner::FreeMessage() {
    content_.Free();
    while (parts_) {
        MimePart* older = parts_->older;
        delete parts_;
        parts_ = older;
    }
    current_ = nullptr;
}

MimeMessageRecord* MimeScanner::GetFirst() {
    if (!inbox_ || count_ <= 0) return nullptr;
    FreeMessage();
    if (parsedAny_ && !reader_.Seek(firstMessageAt_)) return nullptr;
    index_ = 1;
    return ParseRecord();
}

MimeMessageRecord* MimeScanner::GetNext() {
    if (!inbox_ || index_ >= count_) return nullptr;
    ++index_;
    FreeMessage();
    return ParseRecord();
}

// Reads the next record from a clean state and delivers it.
MimeMessageRecord* MimeScanner::ParseRecord() {
    inHeader_ = true;
    mime_ = false;
    error_ = false;
    inAttachment_ = false;
    partStart_ = true;
    textCharset_[0] = '\0';
    textEncoding_ = kEncodingNone;
    topEncoding_ = kEncodingNone;
    heldTextBreaks_ = 0;
    if (!content_.NewText(kInitialText)) return nullptr;
    ParseMessage();
    return Deliver();
}

void MimeScanner::ParseMessage() {
    parsedAny_ = true;
    messageEnded_ = false;
    endAt_ = kNoRecordEnd;
    endKnown_ = false;
    afterDotAt_ = kNoRecordEnd;
    attachmentHeld_ = 0;
    if (!SkipToRecordStart()) return;
    recordAt_ = reader_.Tell();
    while (!error_ && ReadMessageLine()) {
        if (inHeader_)
            HeaderLine();
        else if (mime_ && parts_)
            MultipartStep();
        else
            PlainStep();
    }
    if (inAttachment_ && !error_) FinishAttachment();
    AddHeldTextBreaks(heldTextBreaks_);
}

// The record, or null for a bad one: then the files written for it are
// removed and the inbox is left after its end, where the next record starts.
MimeMessageRecord* MimeScanner::Deliver() {
    if (!error_) return &record_;
    DropAttachments();
    if (!messageEnded_ && !endKnown_) LearnRecordEnd();
    if (!messageEnded_ && endAt_ != kNoRecordEnd && reader_.Seek(endAt_)) reader_.ReadLine(line_);
    messageEnded_ = true;
    return nullptr;
}

void MimeScanner::DropAttachments() {
    int closed = record_.attachmentCount;
    attachmentHeld_ = 0;
    if (inAttachment_) {
        store_.Discard();  // the open file is the last one listed
        inAttachment_ = false;
        --closed;
    }
    for (int i = 0; i < closed; ++i) store_.Remove(record_.attachments[i]);
}

bool MimeScanner::SkipToRecordStart() {
    while (reader_.ReadLine(line_))
        if (line_.Equals(kBeginMessage)) return true;
    return false;
}

// Reads the next line of the current message. False at the "END MESSAGE"
// line that ends the record (FindRecordEnd: a text line that reads the
// same is text) and at the end of the file: the message ends. A line too
// long to keep makes the record bad.
bool MimeScanner::ReadMessageLine() {
    if (messageEnded_) return false;
    lineStart_ = reader_.Tell();
    if (!reader_.ReadLine(line_)) {
        messageEnded_ = true;
        return false;
    }
    if (!endKnown_ && line_.Equals(kEndMessage)) {
        // Right after the end mark it ends the record, as FindRecordEnd
        // would decide; anywhere else only a look-ahead can tell.
        if (lineStart_ == afterDotAt_) {
            endAt_ = lineStart_;
            endKnown_ = true;
        } else {
            LearnRecordEnd();
        }
    }
    if (endKnown_ && lineStart_ == endAt_) {
        messageEnded_ = true;
        return false;
    }
    if (line_.Equals(".")) afterDotAt_ = reader_.Tell();
    if (line_.cut) {
        error_ = true;
        return false;
    }
    return true;
}

// True when the next line of the message begins with a blank or a tab: it
// continues the header field before it (RFC 5322 folding).
bool MimeScanner::NextLineContinues() {
    if (messageEnded_ || (endKnown_ && reader_.Tell() == endAt_)) return false;
    const int first = reader_.PeekByte();
    return first == ' ' || first == '\t';
}

// Decides where the current record ends with FindRecordEnd, reading ahead
// from its first line, and returns to where reading stood. A position that
// cannot be returned to makes the record bad.
void MimeScanner::LearnRecordEnd() {
    const std::uint64_t at = reader_.Tell();
    endKnown_ = true;
    endAt_ = kNoRecordEnd;
    if (!reader_.Seek(recordAt_)) {
        error_ = true;
        return;
    }
    endAt_ = FindRecordEnd(reader_, kEndMessage, StartsInboxRecord, true, ReadReaderLineSkippingRest);
    if (!reader_.Seek(at)) error_ = true;
}

// Makes field_ the header field that begins with the current line, its
// continuation lines joined (each keeps its leading blank), cut at
// kMaxHeaderField bytes. A CR that stood in a line becomes a blank, so no
// record field made from a header can hold a line break. False on no memory.
bool MimeScanner::ReadHeaderField() {
    field_.Clear();
    bool more = true;
    for (;;) {
        const std::string_view text = line_.View();
        const std::size_t room = kMaxHeaderField - field_.Size();
        if (more && !field_.Append(text.substr(0, room))) {
            error_ = true;
            return false;
        }
        more = field_.Size() < kMaxHeaderField;
        if (!NextLineContinues() || !ReadMessageLine()) break;
    }
    char* p = field_.Data();
    for (std::size_t i = 0; i < field_.Size(); ++i)
        if (p[i] == '\r' || p[i] == '\n') p[i] = ' ';
    return !error_;
}

// While the current line is empty, reads the next; false when the message
// ends first.
bool MimeScanner::SkipEmptyLines() {
    while (line_.Empty())
        if (!ReadMessageLine()) return false;
    return true;
}

void MimeScanner::HeaderLine() {
    if (line_.Empty()) {
        inHeader_ = false;
        // A single-part message: its body is the text, in the part's form.
        if (!parts_ || !parts_->isMultipart) {
            const bool plain = !mime_ || !parts_ || parts_->isPlainText;
            TextFrom(mime_ ? parts_ : nullptr, mime_ && plain ? topEncoding_ : kEncodingNone);
        }
        return;
    }
    if (!ReadHeaderField()) return;
    const std::string_view field = field_.View();
    char keyText[kHeaderKeyCapacity];
    const std::string_view key = HeaderKey(field, keyText);
    // Address and date fields lose a trailing comment; the subject is free
    // text and is kept whole.
    const std::string_view value = HeaderValue(field, key.size());
    if (key == "DATE:")
        CopyField(value, record_.date, sizeof record_.date);
    else if (key == "MESSAGE-ID:")
        CopyField(value, record_.messageId, sizeof record_.messageId);
    else if (key == "FROM:")
        CopyField(value, record_.from, sizeof record_.from);
    else if (key == "SUBJECT:")
        SubjectField(HeaderRest(field, key.size()));
    else if (key == "TO:")
        content_.AddTo(value);
    else if (key == "CC:")
        content_.AddCc(value);
    else if (key == "MIME-VERSION:")
        mime_ = true;
    else if (key == "CONTENT-TYPE:" && !parts_)
        ContentType(HeaderRest(field, key.size()));
    else if (key == "CONTENT-TRANSFER-ENCODING:")
        topEncoding_ = TransferEncodingOf(HeaderRest(field, key.size()));
}

// The subject with its encoded words decoded when every character fits
// the caller's code page; else (or without a converter) as written.
void MimeScanner::SubjectField(std::string_view value) {
    decodedField_.Clear();
    if (converter_ && value.find("=?") != std::string_view::npos &&
        DecodeEncodedWords(value, *converter_, UnfitWords::kFail, decodedField_))
        value = decodedField_.View();
    CopyField(value, record_.subject, sizeof record_.subject);
}

// Lines that follow go to the text: decoded when encoding is
// quoted-printable or base64 and a converter is set (which is what decides
// that such parts are text). The first part giving text that names a
// charset names the text's.
void MimeScanner::TextFrom(const MimePart* part, int encoding) {
    const bool decode = converter_ && (encoding == kEncodingBase64 || encoding == kEncodingQuotedPrintable);
    textEncoding_ = decode ? encoding : kEncodingNone;
    if (part && part->charset[0] && !textCharset_[0]) CopyField(part->charset, textCharset_, sizeof textCharset_);
}

MimePart* MimeScanner::NewPart() {
    MimePart* part = new (std::nothrow) MimePart;
    if (!part) {
        error_ = true;
        return nullptr;
    }
    part->parent = current_;
    part->older = parts_;
    parts_ = part;
    current_ = part;
    return part;
}

// A Content-Type value: makes a new current part. A multipart type with a
// usable boundary parameter is a multipart; one without (none, empty, or
// longer than a boundary may be) is read as a single part, so its body
// stays text rather than failing the message.
MimePart* MimeScanner::ContentType(std::string_view type) {
    MimePart* part = NewPart();
    if (!part) return part;
    if (!IsMultipartType(type)) {
        part->isPlainText = FirstWordIs(type, "text/plain");
        GrowBuffer value;
        if (FindParameter(type, "charset", value) && value.Size() <= kMaxCharsetName)
            CopyField(value.View(), part->charset, sizeof part->charset);
        return part;
    }
    GrowBuffer boundary;
    if (FindParameter(type, "boundary", boundary) && boundary.Size() > 0 &&
        boundary.Size() < sizeof part->boundary) {
        part->isMultipart = 1;
        CopyField(boundary.View(), part->boundary, sizeof part->boundary);
    }
    return part;
}

void MimeScanner::PlainStep() {
    if (partStart_) {
        partStart_ = false;
        if (!SkipEmptyLines()) return;
    }
    AddLineToText();
}

// Adds the current line and CR LF to the text: the end mark "." is left
// out and a leading ".." loses one ".".
void MimeScanner::AddLineToText() {
    std::string_view text = line_.View();
    if (text == ".") return;
    if (text.substr(0, 2) == "..") text.remove_prefix(1);
    if (textEncoding_ != kEncodingNone && AddDecodedLine(text)) return;
    AddHeldTextBreaks(heldTextBreaks_);
    if (!content_.AppendText(text.data(), text.size()) || !content_.AppendText("\r\n", 2))
        error_ = true;
}

// Empty quoted-printable lines wait until more text comes: the line end
// before a delimiter belongs to the delimiter (RFC 2046), so the last one
// of a part is left out (MultipartStep).
void MimeScanner::AddHeldTextBreaks(std::size_t count) {
    heldTextBreaks_ = 0;
    for (std::size_t i = 0; i < count && !error_; ++i)
        if (!content_.AppendText("\r\n", 2)) error_ = true;
}

// Adds one quoted-printable or base64 line to the text, decoded. A
// quoted-printable line keeps its line end unless it ends in a soft break;
// base64 carries its own. False for a base64 line that does not decode
// (a stray line): it goes to the text as written.
bool MimeScanner::AddDecodedLine(std::string_view text) {
    if (text.empty()) {
        if (textEncoding_ == kEncodingQuotedPrintable) ++heldTextBreaks_;
        return true;
    }
    if (!decoded_.Reserve(text.size())) return !(error_ = true);
    unsigned char* out = reinterpret_cast<unsigned char*>(decoded_.Data());
    bool softBreak = false;
    std::size_t n;
    if (textEncoding_ == kEncodingBase64) {
        n = DecodeBase64Line(text, out);
        if (n == 0) return false;
    } else {
        AddHeldTextBreaks(heldTextBreaks_);
        n = DecodeQuotedPrintableLine(text, out, &softBreak);
    }
    if (!content_.AppendText(reinterpret_cast<const char*>(out), n) ||
        (textEncoding_ == kEncodingQuotedPrintable && !softBreak && !content_.AppendText("\r\n", 2)))
        error_ = true;
    return true;
}

}  // namespace zenk
