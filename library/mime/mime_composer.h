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
    static constexpr int kMaxMessages = 999;              // the count line has three digits
    static constexpr std::size_t kCopyBlock = 512;        // scratch-to-outbox copy block

    explicit MimeComposer(ComposerStorage& storage) : storage_(storage) {}
    ~MimeComposer();
    MimeComposer(const MimeComposer&) = delete;
    MimeComposer& operator=(const MimeComposer&) = delete;

    // Creates the outbox file (emptied if it exists); without it the
    // composer still starts, and EndMessage fails later. A sender of 80 or
    // more characters is kept as the empty text. -2: the sender holds CR or
    // LF (nothing is created).
    int Start(const char* outboxPath, const char* sender);

    // Opens the next message: clears the lists and stamps, counts it, and
    // creates the scratch body file. A message still open is dropped first
    // (its scratch file closed and deleted). -2 once 999 messages have been
    // started: no message is opened, and EndMessage fails until Finish.
    int NewMessage();

    // -2: null, 80 or more characters, CR or LF in the text, or no memory.
    int AddTo(const char* address);
    int AddCc(const char* address);
    // -2: null, 128 or more characters, or CR or LF in the text.
    int SetSubject(const char* subject);
    // -2: null, 128 or more characters, CR or LF, or no memory. Only the
    // path is stored; the file is read when the message is ended.
    int AddFile(const char* path);
    // Appends bytes to the message text. -2: no scratch file, a failed or
    // short write, a negative count, or a text line that would grow past
    // 999 bytes before its LF (the readers could not deliver it); in that
    // case nothing of this call is written.
    int AddData(const void* data, int count);

    // Writes the record at the end of the outbox. -2: the To list is empty
    // (the message stays open), no outbox file, or the message limit was hit.
    int EndMessage();

    // Rewrites the first count line with the number of messages started,
    // closes the outbox; a still open scratch file is closed and left.
    int Finish();

    int MessageCount() const { return messageCount_; }

private:
    void DropScratch();
    void WriteRecordHead(RecordWriter& out);
    void WriteHeaderBlock(RecordWriter& out);
    void CopyText(RecordWriter& out);
    void WriteAttachment(RecordWriter& out, const char* path);
    void WriteCountLine(RecordWriter& out);

    ComposerStorage& storage_;
    int messageCount_ = 0;                  // messages started (NewMessage calls that opened one)
    bool limitReached_ = false;             // a NewMessage past kMaxMessages was refused
    std::size_t textLineBytes_ = 0;         // bytes of the text's last line since its LF
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

// Length of a caller's text when it is usable as one header value: not
// null, shorter than capacity, no CR or LF. False otherwise.
bool HeaderTextLength(const char* text, std::size_t capacity, std::size_t* length);

// The part of a path after its last backslash (the whole path without one).
const char* AttachmentBaseName(const char* path);

}  // namespace zenk
