// MimeComposer: writes MIME messages into an outbox file, one record per
// message (the record layout is in message_files.h and the README).
//
// Life: Start (outbox file, sender) -> per message NewMessage, any of
// AddTo/AddCc/SetSubject/AddFile/AddData, EndMessage -> Finish, after
// which the object is deleted. Results are the export results: 0, or -2
// (ZENK_FAILED) for the failures each method names.
#pragma once
#include <cstddef>
#include <memory>

#include "mime/charset_names.h"
#include "mime/composer_storage.h"
#include "mime/message_stamps.h"
#include "mime/record_writer.h"
#include "mime/text_list.h"

namespace zenk {

class MimeComposer {
public:
    static constexpr std::size_t kAddressCapacity = 80;   // addresses and sender: 79 characters
    static constexpr std::size_t kSubjectCapacity = 128;  // 127 characters
    static constexpr std::size_t kPathCapacity = 128;     // attachment paths: 127 characters
    static constexpr int kMaxRecords = 999;               // the count line has three digits
    static constexpr std::size_t kCopyBlock = 512;        // scratch-to-outbox copy block

    explicit MimeComposer(ComposerStorage& storage) : storage_(storage) {}
    ~MimeComposer();
    MimeComposer(const MimeComposer&) = delete;
    MimeComposer& operator=(const MimeComposer&) = delete;

    // Creates the outbox file (emptied if it exists); without it the
    // composer still starts, and EndMessage fails later. A sender of 80 or
    // more characters is kept as the empty text. -2: the sender holds a
    // line-break byte (IsLineBreakByte; nothing is created).
    int Start(const char* outboxPath, const char* sender);

    // Opens the next message: clears the lists and stamps and creates the
    // scratch body file. A message still open is dropped first (its
    // scratch file closed and deleted). -2 once the outbox holds 999
    // records: no message is opened, and EndMessage fails until Finish.
    int NewMessage();

    // -2: null, 80 or more characters, a line-break byte, or no memory.
    int AddTo(const char* address);
    int AddCc(const char* address);
    // Names the character set of the caller's text, subject and file
    // names (FindCharset: any case, usual aliases) for every message ended
    // from now on. Without one the composer writes 8-bit bytes as they
    // stand, labelled us-ascii, as it always did. With one, a text holding
    // 8-bit bytes is labelled with the set and written quoted-printable or
    // base64 (the shorter), an 8-bit subject as RFC 2047 encoded words and
    // an 8-bit file name as an RFC 2231 filename* beside an ASCII
    // filename; 7-bit messages stay byte for byte as without a set.
    // -2 (the set unchanged): null, a name the library does not know, or a
    // stateful set (iso-2022-jp) that cannot be cut into encoded words.
    int SetCharset(const char* name);
    // -2: null, 128 or more characters, or a line-break byte (CR, LF, and
    // 0x8A and 0x8D unless the charset has multi-byte characters).
    int SetSubject(const char* subject);
    // -2: null, empty, 128 or more characters, a line-break byte (as for
    // the subject), or no memory. Only the path is stored; the file is
    // read when the message is ended.
    int AddFile(const char* path);
    // Appends bytes to the message text. -2: no scratch file, a failed or
    // short write, a negative count, or a text line that would grow past
    // 999 bytes before its LF (the readers could not deliver it); in that
    // case nothing of this call is written.
    int AddData(const void* data, int count);

    // Writes the record at the end of the outbox. -2, with nothing added
    // to the outbox and the message still open: the To list is empty, no
    // outbox file, the record limit was hit, an attachment or the text
    // cannot be opened or read whole, or a write to the outbox fails.
    int EndMessage();

    // Rewrites the first count line with the number of records written,
    // closes the outbox; a still open scratch file is closed and left.
    // -2 when the count line cannot be written (the object is done with
    // either way).
    int Finish();

    // Records written to the outbox: what its count line announces.
    int RecordCount() const { return recordCount_; }

private:
    // How the message text goes into the record.
    enum class TextForm { kSevenBit, kQuotedPrintable, kBase64, kUnreadable };

    void DropScratch();
    bool TakesEncodedHeaderText(const char* text, std::size_t capacity, std::size_t* n) const;
    void WriteRecord(RecordWriter& out);
    void WriteRecordHead(RecordWriter& out);
    void WriteHeaderBlock(RecordWriter& out);
    template <typename Take>
    bool ReadText(Take take);
    TextForm ChooseTextForm();
    void WriteTextHeader(RecordWriter& out, TextForm form);
    void CopyText(RecordWriter& out, TextForm form);
    void WriteAttachment(RecordWriter& out, const char* path);
    static void WriteCountLine(RecordWriter& out, int count);

    ComposerStorage& storage_;
    int recordCount_ = 0;                   // records written whole to the outbox
    bool outboxDamaged_ = false;            // a failed record could not be taken back
    std::size_t textLineBytes_ = 0;         // bytes of the text's last line since its LF
    bool textEightBit_ = false;             // the text holds a byte with bit 7 set
    const CharsetInfo* charset_ = nullptr;  // the caller's set; null: 8-bit bytes go as they stand
    char date_[kDateCapacity] = {};         // Date value of the message being ended
    char messageId_[kMessageIdCapacity] = {};
    char sender_[kAddressCapacity] = {};
    char subject_[kSubjectCapacity] = {};
    char boundary_[kBoundaryCapacity] = {};
    TextList<kAddressCapacity> to_;
    TextList<kAddressCapacity> cc_;
    TextList<kPathCapacity> attachments_;
    std::unique_ptr<ComposerFile> outbox_;   // none when it could not be created
    std::unique_ptr<ComposerFile> scratch_;  // the open message's body text
};

// CR and LF, and the bytes that become CR or LF when bit 7 is cleared
// (0x8D, 0x8A), as the SMTP client does before sending: none of them may
// reach a header field or an outbox record line.
inline bool IsLineBreakByte(char c) {
    char low = static_cast<char>(c & 0x7F);
    return low == '\r' || low == '\n';
}

// Length of a caller's text when it is usable as one header value: not
// null, shorter than capacity, no line-break byte. False otherwise.
bool HeaderTextLength(const char* text, std::size_t capacity, std::size_t* length);

// The same for text that is written encoded when it holds 8-bit bytes:
// only CR and LF themselves are refused.
bool EncodedHeaderTextLength(const char* text, std::size_t capacity, std::size_t* length);

// The part of a path after its last backslash (the whole path without one).
const char* AttachmentBaseName(const char* path);

}  // namespace zenk
