// MimeScanner: reads an inbox file back into message records.
//
// One message at a time: the main header fields, the To and Cc lines, the
// message text, and the paths of the attachment files it decodes
// (multipart bodies, base64 and quoted-printable: multipart_body.cpp). The
// inbox comes as a ByteSource and attachment files go to an
// AttachmentStore, so this class has no Windows header.
//
// Inbox format: a count line "Letters : n", then per message the line
// "BEGIN MESSAGE", the message as the POP3 server sent it (leading "."
// doubled, ending with the line "."), and the line "END MESSAGE". A text
// line that reads "END MESSAGE" stays text: the record ends at the marker
// after the end mark (FindRecordEnd in message_files.h).
//
// Every record is read from a clean state, so its result never depends on
// the records before it; lines of any length are read whole (scan_line.h).
// The inbox is read once, in blocks (ScanReader): a record ends at the
// first "END MESSAGE" right after the end mark, which is seen as it is
// read. Only a record holding an "END MESSAGE" line that follows no end
// mark is looked ahead in (FindRecordEnd) to learn where it ends.
// Attachment bytes gather in a block of kAttachmentBlock bytes and go to
// the store a block at a time, so memory stays the same whatever the size
// of an attachment; only the message text is held whole.
// A record that cannot be delivered whole (an attachment file that cannot
// be made or written, no memory, a line beyond kMaxScanLine) is reported as
// bad: its attachment files are removed and the next request goes on with
// the record after it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mime/attachment_store.h"
#include "mime/charset_names.h"
#include "mime/encoded_words.h"
#include "mime/header_fields.h"
#include "mime/message_files.h"
#include "mime/message_record.h"
#include "mime/scan_line.h"
#include "zenk32_defs.h"

namespace zenk {

// One content-type context of the message being scanned.
struct MimePart {
    int isMultipart = 0;          // 1 for a multipart type, 0 for a single part
    int encoding = 0;             // TransferEncoding (header_fields.h)
    char boundary[128] = {};      // multipart boundary, at most 127 characters
    int isPlainText = 0;          // 1 for text/plain
    char charset[kMaxCharsetName + 1] = {};  // its charset parameter, empty when none
    MimePart* parent = nullptr;   // the part that was current when this one began
    MimePart* older = nullptr;    // the part made before this one (for freeing)
};

class MimeScanner {
public:
    static constexpr std::size_t kAttachmentDirCapacity = 160;  // 159 characters
    static constexpr std::size_t kFileNameCapacity = 144;       // 143 characters
    static constexpr std::size_t kInitialText = 512;            // bytes of a new text
    static constexpr std::size_t kAttachmentBlock = 64 * 1024;  // bytes per attachment write
    // A header field with its folded lines joined keeps at most this many
    // bytes; the rest of a longer one is left out.
    static constexpr std::size_t kMaxHeaderField = 65535;

    // inbox: the opened inbox file, or null when it could not be opened
    // (the scanner then delivers nothing). attachmentDir: where named
    // attachments go; empty or null, or 160 characters and more, means none
    // (generated names in the temporary folder).
    MimeScanner(ByteSource* inbox, AttachmentStore& store, const char* attachmentDir);
    ~MimeScanner();
    MimeScanner(const MimeScanner&) = delete;
    MimeScanner& operator=(const MimeScanner&) = delete;

    // The number on the inbox's count line; 0 without one (or when negative).
    int MessageCount() const { return count_; }

    // The record of the first message, or null (no inbox, count 0, or a bad
    // record). A later call starts over: the current record is freed and the
    // inbox is read again from its first message.
    MimeMessageRecord* GetFirst();
    // The record of the next message; null after the last one, without an
    // inbox, or when this record is bad (the call after it goes on with the
    // next record). Frees what the previous record held.
    MimeMessageRecord* GetNext();

    // The number (1-based) of the message last asked for.
    int Index() const { return index_; }

    // Gives back 8-bit text as it was written, through converter into the
    // caller's code page: RFC 2047 encoded-word subjects (kept as they
    // stand when a character does not fit), RFC 2231 and encoded-word file
    // names (characters that do not fit written as %XX), and
    // quoted-printable or base64 text/plain parts without a file name,
    // decoded into the text (in their own charset: TextCharset). Null (the
    // default) keeps all of them as they stand, and such parts go to files.
    void SetConverter(CharsetConverter* converter) { converter_ = converter; }

    // The charset of the current record's text: the charset parameter of
    // the first part that gave text, "us-ascii" (RFC 2045's default) when
    // none named one.
    const char* TextCharset() const { return textCharset_[0] ? textCharset_ : "us-ascii"; }

private:
    // Messages (mime_scanner.cpp)
    void FreeMessage();
    MimeMessageRecord* ParseRecord();
    void ParseMessage();
    MimeMessageRecord* Deliver();
    void DropAttachments();
    bool SkipToRecordStart();
    bool ReadMessageLine();
    bool NextLineContinues();
    bool ReadHeaderField();
    bool SkipEmptyLines();
    void HeaderLine();
    MimePart* NewPart();
    MimePart* ContentType(std::string_view type);
    void PlainStep();
    void AddLineToText();
    bool AddDecodedLine(std::string_view text);
    void AddHeldTextBreaks(std::size_t count);
    void SubjectField(std::string_view value);
    void TextFrom(const MimePart* part, int encoding);
    void DecodeFileName(const ParameterCharset& charset);

    // Multipart bodies and attachments (multipart_body.cpp)
    void MultipartStep();
    MimePart* DelimiterOwner(bool* closing) const;
    void BeginBodyPart();
    MimePart* ReadPartHeader();
    bool OpenAttachment();
    void CopyAttachment();
    [[nodiscard]] bool WriteAttachmentLine(std::string_view line, int encoding, bool* lineEndOwed);
    bool AttachmentBytes(const void* bytes, std::size_t n);
    [[nodiscard]] bool FlushAttachment();
    void FinishAttachment();
    void LearnRecordEnd();

    ByteSource* inbox_;               // null: no inbox file
    ScanReader reader_;               // the inbox, read in blocks
    AttachmentStore& store_;          // where attachment files are made
    MimeMessageRecord record_{};      // the current message, handed to the caller
    MessageRecordContent content_{record_};
    ScanLine line_;                   // the current line, whole
    GrowBuffer field_;                // the current header field, folded lines joined
    GrowBuffer fileName_;             // the file name of the part being read
    GrowBuffer typeName_;             // its Content-Type "name", used without a file name
    GrowBuffer decoded_;              // bytes of one decoded attachment or text line
    GrowBuffer decodedField_;         // a header value with its encoded words decoded
    CharsetConverter* converter_ = nullptr;  // null: 8-bit header text and parts stay as written
    char textCharset_[kMaxCharsetName + 1] = {};  // the text's charset, empty: none named
    int textEncoding_ = 0;            // TransferEncoding of the lines going to the text
    int topEncoding_ = 0;             // the main header's Content-Transfer-Encoding
    std::size_t heldTextBreaks_ = 0;  // empty quoted-printable lines not yet added to the text
    std::uint64_t lineStart_ = 0;     // inbox position where line_ began
    std::uint64_t firstMessageAt_ = 0;// inbox position after the count line
    std::uint64_t recordAt_ = 0;      // inbox position after the record's "BEGIN MESSAGE"
    std::uint64_t endAt_ = kNoRecordEnd;  // inbox position of the line that ends the message
    bool endKnown_ = false;           // endAt_ is decided (kNoRecordEnd: the file's end)
    std::uint64_t afterDotAt_ = kNoRecordEnd;  // inbox position after the last end mark "." read
    std::size_t attachmentHeld_ = 0;  // bytes in attachmentBlock_ not yet written
    char attachmentDir_[kAttachmentDirCapacity] = {};
    int count_ = 0;                   // from the count line
    int index_ = 0;                   // 1-based number of the message last asked for
    MimePart* parts_ = nullptr;       // every part of the current message, newest first
    MimePart* current_ = nullptr;     // the innermost open context
    bool parsedAny_ = false;          // a message has been parsed on this scanner
    // The state of one record; every record starts with these values.
    bool inHeader_ = false;           // the main header is being read
    bool mime_ = false;               // this message has a MIME-Version header
    bool error_ = false;              // this record cannot be delivered whole
    bool inAttachment_ = false;       // the lines of an attachment are being copied
    bool attachmentPart_ = false;     // the part being read has "Content-Disposition: attachment"
    bool partStart_ = true;           // the next body step first skips empty lines
    bool messageEnded_ = false;       // END MESSAGE or the end of the file was met
    unsigned char attachmentBlock_[kAttachmentBlock];  // attachment bytes on their way to the store
};

}  // namespace zenk
