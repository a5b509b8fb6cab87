// MimeScanner: the body step of MIME messages - multipart delimiters, body
// part headers, and attachments decoded into files.
//
// Delimiter lines are matched against every open multipart, innermost
// first, so a part that never closes its own nested multipart still ends at
// the outer delimiter. A line that matches none of them is content, even
// when it begins with "--".
#include <cstring>

#include "mime/attachment_names.h"
#include "mime/header_fields.h"
#include "mime/mime_scanner.h"
#include "mime/transfer_decoding.h"

namespace zenk {

void MimeScanner::MultipartStep() {
    if (partStart_) {
        partStart_ = false;
        if (!SkipEmptyLines()) return;
    }
    bool closing = false;
    if (MimePart* owner = DelimiterOwner(&closing)) {
        if (inAttachment_) FinishAttachment();
        if (closing) {
            partStart_ = true;
            current_ = owner->parent;
        } else {
            current_ = owner;
            BeginBodyPart();
        }
        return;
    }
    if (inAttachment_) {
        CopyAttachment();
        return;
    }
    // Preamble, text parts, and anything after the outermost closing
    // delimiter: message text.
    AddLineToText();
    if (line_.Equals(".")) partStart_ = true;
}

// The open multipart whose delimiter ("--" boundary) or closing delimiter
// ("--" boundary "--") the current line is, or null. Blanks and tabs after
// it are allowed (transport padding).
MimePart* MimeScanner::DelimiterOwner(bool* closing) const {
    std::string_view text = line_.View();
    if (text.size() < 3 || text[0] != '-' || text[1] != '-') return nullptr;
    text.remove_prefix(2);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    for (MimePart* part = current_; part; part = part->parent) {
        if (!part->isMultipart) continue;
        const std::string_view boundary(part->boundary);
        if (text == boundary) {
            *closing = false;
            return part;
        }
        if (text.size() == boundary.size() + 2 && text.substr(0, boundary.size()) == boundary &&
            text.substr(boundary.size()) == "--") {
            *closing = true;
            return part;
        }
    }
    return nullptr;
}

// After a delimiter: reads the body part's header and decides where its
// lines go (text, a nested multipart, or an attachment file).
void MimeScanner::BeginBodyPart() {
    if (!ReadMessageLine()) return;
    MimePart* part = ReadPartHeader();
    if (!part || error_ || messageEnded_) return;
    if (part->isMultipart || (part->encoding == kEncodingNone && fileName_[0] == '\0')) {
        partStart_ = true;
        return;
    }
    if (OpenAttachment()) {
        partStart_ = true;
        inAttachment_ = true;
    }
}

// Reads header lines from the current one up to the empty line that ends
// them, in any order: Content-Type makes the part, Content-Transfer-Encoding
// and Content-Disposition (its file name) complete it. A part without
// Content-Type is plain text (RFC 2045's default). Null on an error.
MimePart* MimeScanner::ReadPartHeader() {
    fileName_[0] = '\0';
    MimePart* part = nullptr;
    int encoding = -1;
    while (line_.length > 0) {
        char keyText[kHeaderKeyCapacity];
        const std::string_view key = HeaderKey(line_.View(), keyText);
        if (key == "CONTENT-TYPE:" && !part) {
            part = ContentType(HeaderRest(line_.View(), key.size()));
            if (error_) return nullptr;
        } else if (key == "CONTENT-TRANSFER-ENCODING:") {
            bool empty = false;
            int value = kEncodingNone;
            ParseTransferEncoding(line_.View(), &value, &empty);
            if (empty) {
                error_ = true;
                return nullptr;
            }
            encoding = value;
        } else if (key == "CONTENT-DISPOSITION:") {
            DispositionFileName(line_.View(), fileName_, sizeof fileName_);
        }
        if (!ReadMessageLine()) break;
    }
    if (!part && !(part = NewPart())) return nullptr;
    if (encoding >= 0 && !part->isMultipart) part->encoding = encoding;
    return part;
}

// Opens the file for the current part: under its own (made safe) name in
// the attachment folder when it has one and no such file exists, else
// under a generated "QDF" name. False leaves the part's lines to the text.
bool MimeScanner::OpenAttachment() {
    if (content_.AttachmentsFull()) return false;
    char path[kMaxAttachmentPath + 1];
    char name[kFileNameCapacity];
    bool opened = fileName_[0] && attachmentDir_[0] &&
                  SafeAttachmentName(fileName_, name, sizeof name) &&
                  JoinAttachmentPath(attachmentDir_, name, path, sizeof path) && store_.CreateNew(path);
    if (!opened) {
        switch (store_.CreateUnique(attachmentDir_, path, sizeof path)) {
        case AttachmentStore::Unique::kOpened: break;
        case AttachmentStore::Unique::kNoName: return false;
        case AttachmentStore::Unique::kCannotOpen: error_ = true; return false;
        }
    }
    if (!content_.AddAttachment(path)) {
        store_.Discard();
        return false;
    }
    return true;
}

// Copies attachment lines, from the current one, until the part ends: at
// a delimiter of an open multipart (base64: any line beginning "-" or
// "x-"), at a base64 line holding "=" (after it), and at the end mark ".",
// "END MESSAGE" or the end of the file. A line that ends the part is left
// unread for the next step.
void MimeScanner::CopyAttachment() {
    const int encoding = current_ ? current_->encoding : kEncodingOther;
    for (;;) {
        const std::string_view text = line_.View();
        bool closing;
        const bool base64End = encoding == kEncodingBase64 && text.size() >= 1 &&
                               (text[0] == '-' || (text.size() >= 2 && text[1] == '-'));
        if (base64End || text == "." || DelimiterOwner(&closing)) {
            inbox_->Seek(lineStart_);
            break;
        }
        WriteAttachmentLine(text, encoding);
        if (encoding == kEncodingBase64 && text.find('=') != std::string_view::npos) break;
        if (!ReadMessageLine()) break;
    }
    FinishAttachment();
}

// Decodes one line into the open file. Lines of unencoded and "other"
// parts keep their CR LF; quoted-printable lines too, except after a soft
// line break ("=" at the end), which joins them to the next line.
bool MimeScanner::WriteAttachmentLine(std::string_view line, int encoding) {
    if (encoding == kEncodingBase64) {
        unsigned char bytes[kBase64LineBytes];
        std::size_t n = DecodeBase64Line(line, bytes);
        return n == 0 || store_.Write(bytes, n);
    }
    if (line.substr(0, 2) == "..") line.remove_prefix(1);
    bool softBreak = false;
    if (encoding == kEncodingQuotedPrintable) {
        unsigned char bytes[kLineCapacity];
        std::size_t n = DecodeQuotedPrintableLine(line, bytes, &softBreak);
        if (n && !store_.Write(bytes, n)) return false;
    } else if (!line.empty() && !store_.Write(line.data(), line.size())) {
        return false;
    }
    return softBreak || store_.Write("\r\n", 2);
}

void MimeScanner::FinishAttachment() {
    inAttachment_ = false;
    partStart_ = true;
    store_.Close();
    if (current_) current_ = current_->parent;
}

}  // namespace zenk
