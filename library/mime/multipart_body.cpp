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
        AddHeldTextBreaks(heldTextBreaks_ > 0 ? heldTextBreaks_ - 1 : 0);
        if (error_) return;
        if (closing) {
            partStart_ = true;
            textEncoding_ = kEncodingNone;  // what follows is an epilogue
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
    textEncoding_ = kEncodingNone;
    if (!ReadMessageLine()) return;
    MimePart* part = ReadPartHeader();
    if (!part || error_ || messageEnded_) return;
    if (part->isMultipart) {
        partStart_ = true;
        return;
    }
    // A text/plain part without a name is text; with a converter that
    // holds for its quoted-printable and base64 forms too.
    const bool encodedText = converter_ && part->isPlainText && fileName_.Size() == 0 && !attachmentPart_ &&
                             (part->encoding == kEncodingBase64 || part->encoding == kEncodingQuotedPrintable);
    if ((part->encoding == kEncodingNone && fileName_.Size() == 0) || encodedText) {
        TextFrom(part, part->encoding);
        partStart_ = true;
        return;
    }
    if (OpenAttachment()) {
        partStart_ = true;
        inAttachment_ = true;
    }
}

// Reads header fields from the current line up to the empty line that ends
// them, in any order, folded lines joined: Content-Type makes the part,
// Content-Transfer-Encoding and Content-Disposition (its file name)
// complete it; without a file name there, Content-Type's "name" is used
// (older mailers give only that). A part without Content-Type is plain text
// (RFC 2045's default). Null on no memory.
MimePart* MimeScanner::ReadPartHeader() {
    fileName_.Clear();
    typeName_.Clear();
    attachmentPart_ = false;
    ParameterCharset fileCharset, typeCharset;
    MimePart* part = nullptr;
    int encoding = -1;
    while (!line_.Empty()) {
        if (!ReadHeaderField()) return nullptr;
        const std::string_view field = field_.View();
        char keyText[kHeaderKeyCapacity];
        const std::string_view key = HeaderKey(field, keyText);
        const std::string_view value = HeaderRest(field, key.size());
        if (key == "CONTENT-TYPE:" && !part) {
            if (!(part = ContentType(value))) return nullptr;
            FindParameter(value, "name", typeName_, &typeCharset);
        } else if (key == "CONTENT-TRANSFER-ENCODING:") {
            encoding = TransferEncodingOf(value);
        } else if (key == "CONTENT-DISPOSITION:") {
            fileName_.Clear();  // a later one replaces an earlier one
            FindParameter(value, "filename", fileName_, &fileCharset);
            attachmentPart_ = FirstWordIs(value, "attachment");
        }
        if (!ReadMessageLine()) break;
    }
    if (!part && !(part = NewPart())) return nullptr;
    if (encoding >= 0 && !part->isMultipart) part->encoding = encoding;
    const bool fromType = fileName_.Size() == 0;
    if (fromType && !fileName_.Append(typeName_.View())) fileName_.Clear();
    if (converter_ && fileName_.Size() > 0) DecodeFileName(fromType ? typeCharset : fileCharset);
    return part;
}

// Turns the file name into the caller's code page: an RFC 2231 value from
// its charset, a name of encoded words word by word. Characters with no
// form there are written as %XX, so the name stays readable and keeps its
// extension; the safety rules for names apply to the result.
void MimeScanner::DecodeFileName(const ParameterCharset& charset) {
    const std::string_view name = fileName_.View();
    decodedField_.Clear();
    bool done;
    if (charset.name[0])
        done = ConvertOrEscape(*converter_, charset.name, name, decodedField_);
    else if (name.find("=?") != std::string_view::npos)
        done = DecodeEncodedWords(name, *converter_, UnfitWords::kPercentEscape, decodedField_);
    else
        return;
    if (!done) return;
    fileName_.Clear();
    if (!fileName_.Append(decodedField_.View())) error_ = true;
}

// Opens the file for the current part: under its own (made safe) name in
// the attachment folder when it has one and no such file exists, else
// under a generated "QDF" name. False leaves the part's lines to the text;
// a generated file that cannot be opened makes the record bad.
bool MimeScanner::OpenAttachment() {
    if (content_.AttachmentsFull()) return false;
    char path[kMaxAttachmentPath + 1];
    char name[kFileNameCapacity];
    bool opened = fileName_.Size() > 0 && attachmentDir_[0] &&
                  SafeAttachmentName(fileName_.View(), name, sizeof name) &&
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
// unread for the next step. The line end before a delimiter belongs to the
// delimiter (RFC 2046), so the last line of an unencoded, 8bit or
// quoted-printable file gets none; at the other ends it keeps its own.
// A failed write makes the record bad.
void MimeScanner::CopyAttachment() {
    const int encoding = current_ ? current_->encoding : kEncodingOther;
    bool lineEndOwed = false;
    // Writes (or, before a delimiter, drops) the line end the last line owes.
    auto settle = [&](bool write) {
        const bool owed = lineEndOwed;
        lineEndOwed = false;
        if (owed && write) AttachmentBytes("\r\n", 2);
        return !error_;
    };
    for (;;) {
        const std::string_view text = line_.View();
        bool closing;
        const bool base64End = encoding == kEncodingBase64 && text.size() >= 1 &&
                               (text[0] == '-' || (text.size() >= 2 && text[1] == '-'));
        const bool delimiter = DelimiterOwner(&closing) != nullptr;
        if (base64End || text == "." || delimiter) {
            settle(!delimiter);
            if (!reader_.Seek(lineStart_)) error_ = true;
            break;
        }
        if (!settle(true) || !WriteAttachmentLine(text, encoding, &lineEndOwed)) break;
        if (encoding == kEncodingBase64 && text.find('=') != std::string_view::npos) break;
        if (!ReadMessageLine()) {
            settle(true);
            break;
        }
    }
    if (!error_) FinishAttachment();
}

// Decodes one line into the open file, whatever its length. Lines of
// unencoded and "other" parts owe a CR LF after them; quoted-printable
// lines too, except after a soft line break ("=" at the end), which joins
// them to the next line. A line short enough is decoded straight into the
// attachment block. False when a write fails (the record is then bad).
bool MimeScanner::WriteAttachmentLine(std::string_view line, int encoding, bool* lineEndOwed) {
    *lineEndOwed = false;
    if (encoding != kEncodingBase64 && line.substr(0, 2) == "..") line.remove_prefix(1);
    if (encoding != kEncodingBase64 && encoding != kEncodingQuotedPrintable) {
        *lineEndOwed = true;
        return AttachmentBytes(line.data(), line.size());
    }
    // Both decoders give at most line.size() bytes.
    const std::size_t most = encoding == kEncodingBase64 ? Base64LineBytes(line.size()) : line.size();
    if (kAttachmentBlock - attachmentHeld_ < most && !FlushAttachment()) return false;
    unsigned char* out = attachmentBlock_ + attachmentHeld_;
    const bool inBlock = most <= kAttachmentBlock - attachmentHeld_;
    if (!inBlock) {
        if (!decoded_.Reserve(most)) return !(error_ = true);
        out = reinterpret_cast<unsigned char*>(decoded_.Data());
    }
    bool softBreak = false;
    const std::size_t n = encoding == kEncodingBase64 ? DecodeBase64Line(line, out)
                                                      : DecodeQuotedPrintableLine(line, out, &softBreak);
    *lineEndOwed = encoding == kEncodingQuotedPrintable && !softBreak;
    if (inBlock) {
        attachmentHeld_ += n;
        return true;
    }
    return AttachmentBytes(out, n);
}

// Adds bytes to the open attachment file through the attachment block.
// False (the record is bad) when a write fails.
bool MimeScanner::AttachmentBytes(const void* bytes, std::size_t n) {
    if (kAttachmentBlock - attachmentHeld_ < n && !FlushAttachment()) return false;
    if (n > kAttachmentBlock) {
        if (!store_.Write(bytes, n)) return !(error_ = true);
        return true;
    }
    if (n) std::memcpy(attachmentBlock_ + attachmentHeld_, bytes, n);
    attachmentHeld_ += n;
    return true;
}

bool MimeScanner::FlushAttachment() {
    const std::size_t n = attachmentHeld_;
    attachmentHeld_ = 0;
    if (n && !store_.Write(attachmentBlock_, n)) return !(error_ = true);
    return true;
}

// Ends the open attachment: its last bytes are written and the file is
// closed. When they cannot be written the record is bad, and the file
// stays open to be discarded with the record.
void MimeScanner::FinishAttachment() {
    if (!FlushAttachment()) return;
    inAttachment_ = false;
    partStart_ = true;
    store_.Close();
    if (current_) current_ = current_->parent;
}

}  // namespace zenk
