// MimeScanner: messages, main header lines and the plain body step.
#include "mime/mime_scanner.h"

#include <cstring>
#include <new>

#include "mime/header_fields.h"

namespace zenk {

MimeScanner::MimeScanner(ByteSource* inbox, AttachmentStore& store, const char* attachmentDir)
    : inbox_(inbox), store_(store) {
    if (attachmentDir && std::strlen(attachmentDir) < kAttachmentDirCapacity)
        std::strcpy(attachmentDir_, attachmentDir);
    if (!inbox_) return;
    if (ReadLine(*inbox_, line_)) ParseCountLine(line_, kInboxCountAt, &count_);
    if (count_ < 0) count_ = 0;
    firstMessageAt_ = inbox_->Tell();
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
    if (!inbox_ || !content_.HasText()) return nullptr;
    if (parsedAny_) {
        // Start over from the first message, as after the start.
        FreeMessage();
        if (!content_.NewText(kInitialText) || !inbox_->Seek(firstMessageAt_)) return nullptr;
        index_ = 1;
        mime_ = false;
        partStart_ = true;
    }
    content_.ClearText();
    inHeader_ = true;
    ParseMessage();
    return error_ ? nullptr : &record_;
}

MimeMessageRecord* MimeScanner::GetNext() {
    ++index_;
    if (index_ > count_ || !inbox_) return nullptr;
    FreeMessage();
    if (!content_.NewText(kInitialText)) return nullptr;
    inHeader_ = true;
    ParseMessage();
    return error_ ? nullptr : &record_;
}

void MimeScanner::ParseMessage() {
    parsedAny_ = true;
    messageEnded_ = false;
    if (!SkipToMarker(*inbox_, line_, kBeginMessage) || error_) return;
    endAt_ = FindRecordEnd(*inbox_, kEndMessage, StartsInboxRecord, true);
    while (!error_ && ReadMessageLine()) {
        if (inHeader_)
            HeaderLine();
        else if (mime_ && parts_)
            MultipartStep();
        else
            PlainStep();
    }
    if (inAttachment_) FinishAttachment();
}

// Reads the next line of the current message. False at the "END MESSAGE"
// line that ends the record (FindRecordEnd: a text line that reads the
// same is text) and at the end of the file (or a line too long to read):
// the message ends.
bool MimeScanner::ReadMessageLine() {
    if (messageEnded_) return false;
    lineStart_ = inbox_->Tell();
    if (!ReadLine(*inbox_, line_) || lineStart_ == endAt_) {
        messageEnded_ = true;
        return false;
    }
    return true;
}

// While the current line is empty, reads the next; false when the message
// ends first.
bool MimeScanner::SkipEmptyLines() {
    while (line_.length == 0)
        if (!ReadMessageLine()) return false;
    return true;
}

void MimeScanner::HeaderLine() {
    if (line_.length == 0) {
        inHeader_ = false;
        return;
    }
    char keyText[kHeaderKeyCapacity];
    const std::string_view key = HeaderKey(line_.View(), keyText);
    const std::string_view value = HeaderValue(line_.View(), key.size());
    if (key == "DATE:")
        CopyField(value, record_.date, sizeof record_.date);
    else if (key == "MESSAGE-ID:")
        CopyField(value, record_.messageId, sizeof record_.messageId);
    else if (key == "FROM:")
        CopyField(value, record_.from, sizeof record_.from);
    else if (key == "SUBJECT:")
        CopyField(value, record_.subject, sizeof record_.subject);
    else if (key == "TO:")
        content_.AddTo(value);
    else if (key == "CC:")
        content_.AddCc(value);
    else if (key == "MIME-VERSION:")
        mime_ = true;
    else if (key == "CONTENT-TYPE:")
        ContentType(HeaderRest(line_.View(), key.size()));
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

// A Content-Type value: makes a new current part. A multipart takes its
// boundary from this line or the next; a single part its transfer encoding
// from the line after the header and its continuation lines.
MimePart* MimeScanner::ContentType(std::string_view type) {
    const bool multipart = IsMultipartType(type);
    char boundary[sizeof MimePart::boundary];
    BoundaryScan scan = multipart ? FindBoundary(type, boundary, sizeof boundary) : BoundaryScan::kFound;
    MimePart* part = NewPart();
    if (!part) return nullptr;
    if (!multipart) {
        ReadTransferEncoding(*part);
        return part;
    }
    part->isMultipart = 1;
    if (scan == BoundaryScan::kNoParameter) {
        if (ReadMessageLine()) scan = FindBoundary(line_.View(), boundary, sizeof boundary);
    }
    if (scan != BoundaryScan::kFound)
        error_ = true;
    else
        std::memcpy(part->boundary, boundary, sizeof boundary);
    return part;
}

void MimeScanner::ReadTransferEncoding(MimePart& part) {
    std::uint64_t before = inbox_->Tell();
    Line next;
    bool got;
    while ((got = ReadLine(*inbox_, next)) && next.length > 0 && (next.text[0] == ' ' || next.text[0] == '\t'))
        before = inbox_->Tell();
    int encoding = kEncodingNone;
    bool empty = false;
    if (got && ParseTransferEncoding(next.View(), &encoding, &empty)) {
        if (empty)
            error_ = true;
        else
            part.encoding = encoding;
        return;
    }
    inbox_->Seek(before);
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
    if (!content_.AppendText(text.data(), text.size()) || !content_.AppendText("\r\n", 2))
        error_ = true;
}

}  // namespace zenk
