// The message files: outbox, inbox and scratch body file.
//
// Every reader of these files takes its lines through ReadLine/PeekLine
// below, over a ByteSource, so the line rules live in one place:
//  - a line is the bytes up to the next LF; the LF is removed, and so is a
//    CR just before it (any other CR stays in the line);
//  - a last line without LF still counts as a line; end of file with
//    nothing read is no line;
//  - at most 999 bytes may precede the LF (a CR included): 1000 bytes
//    without an LF deliver no line, as if the file ended there;
//  - a failed read delivers no line.
// Lines may hold any byte, NUL included: Line::length is the truth.
//
// This file has no Windows header; the file-backed source is in
// win_file_source.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zenk {

// Where a line reader gets its bytes: a file, or memory in tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to size bytes to buffer. Returns the number copied, 0 at the
    // end, or -1 when the read fails.
    virtual long Read(void* buffer, std::size_t size) = 0;
    // The position of the next byte Read would deliver.
    virtual std::uint64_t Tell() const = 0;
    // Moves to an absolute position; false when that is impossible.
    virtual bool Seek(std::uint64_t position) = 0;

    // The bytes from the current position on that the source holds in
    // memory, reading more first when it holds none: *data points at them
    // and the result is their count (0 at the end, -1 when the read fails).
    // Nothing is consumed; Skip(n) then moves past n of them (n at most the
    // count). The bytes stay valid until the next call on the source. The
    // line reader scans them in place, so a line costs a few calls rather
    // than one virtual call per byte. The default serves one byte through
    // Read and Seek; buffered sources override both.
    virtual long Span(const unsigned char** data);
    virtual void Skip(std::size_t count) { Seek(Tell() + count); }

private:
    unsigned char spanByte_ = 0;  // the default Span's one byte
};

constexpr std::size_t kMaxLineBytes = 999;          // bytes before the LF, CR included
constexpr std::size_t kLineCapacity = kMaxLineBytes + 1;  // and the NUL

// One line as delivered: text NUL-terminated, line end removed.
struct Line {
    char text[kLineCapacity] = {};  // the line; text[length] is NUL
    std::size_t length = 0;         // bytes in text, without the NUL

    std::string_view View() const { return {text, length}; }
    // Whole-line, case-sensitive comparison, as marker lines are compared.
    bool Equals(std::string_view marker) const { return View() == marker; }
    bool StartsWith(std::string_view prefix) const { return View().substr(0, prefix.size()) == prefix; }
};

// Reads the next line. False: no line (end of file, failed read, or 1000
// bytes without an LF; in the last case the position stays after them).
bool ReadLine(ByteSource& source, Line& line);

// Reads the next line and restores the position, so that the next
// ReadLine delivers it again. Same result as ReadLine.
bool PeekLine(ByteSource& source, Line& line);

// Marker lines of the outbox and inbox files.
inline constexpr std::string_view kBeginMessageHeader = "BEGIN MESSAGE HEADER";
inline constexpr std::string_view kEndMessageHeader = "END MESSAGE HEADER";
inline constexpr std::string_view kBeginData = "BEGIN DATA";
inline constexpr std::string_view kEndData = "END DATA";
inline constexpr std::string_view kBeginMessage = "BEGIN MESSAGE";
inline constexpr std::string_view kEndMessage = "END MESSAGE";
inline constexpr std::string_view kRecipientPrefix = "TO:<";
inline constexpr char kScratchFileName[] = "ZENKMIME.QDF";

// Reads lines until one equals marker. False when the lines run out.
bool SkipToMarker(ByteSource& source, Line& line, std::string_view marker);

// Where a record's data ends. The marker lines have no escape, so a text
// line can read exactly like the marker that ends the data ("END DATA" in
// an outbox, "END MESSAGE" in an inbox). Instead of taking the first such
// line, the readers look ahead once per record:
//  - with afterEndMark set (inbox), a marker line that directly follows the
//    line "." (the POP3 end mark, which a dot-stuffed text never holds)
//    ends the data: every inbox record the POP3 client writes ends so;
//  - otherwise the data ends at the last marker line before the next record
//    begins (a line for which startsRecord is true, after at least one
//    marker line) or before the file ends. With afterEndMark set, this
//    applies when no marker follows an end mark within kRecordLookAhead
//    record starts (a hand-made inbox without end marks).
// Reads from the current position and restores it. Returns the position of
// the ending marker line, or kNoRecordEnd when no marker line comes. An
// outbox text can still defeat this only by holding a marker line followed
// later by a line that starts a record; an inbox record without an end mark
// that is followed by records with one is joined to the next.
inline constexpr std::uint64_t kNoRecordEnd = UINT64_MAX;
inline constexpr int kRecordLookAhead = 256;
// readLine reads the lines looked at (ReadLine unless the caller reads
// longer lines than ReadLine delivers).
std::uint64_t FindRecordEnd(ByteSource& source, std::string_view marker, bool (*startsRecord)(const Line&),
                            bool afterEndMark, bool (*readLine)(ByteSource&, Line&) = ReadLine);

// Lines that begin a record: in an outbox its count line ("Letters :") or
// "BEGIN MESSAGE HEADER"; in an inbox "BEGIN MESSAGE".
bool StartsOutboxRecord(const Line& line);
bool StartsInboxRecord(const Line& line);

// A count line: "L" first and ":" at index 8. The count is read from
// numberAt on as a standard text-to-integer conversion reads it (leading
// blanks, a sign, digits; values beyond the int range are clamped).
// The outbox readers read it from index 10, the inbox readers from index 9.
// False when the line is not a count line (count then 0).
bool ParseCountLine(const Line& line, std::size_t numberAt, int* count);
constexpr std::size_t kOutboxCountAt = 10;
constexpr std::size_t kInboxCountAt = 9;

// The outbox sender line: "F" first and ":" at index 4.
bool IsSenderLine(const Line& line);

// Text-to-integer conversion over a bounded text (blanks, sign, digits),
// clamped to the int range; 0 when no digit follows.
int TextToInt(std::string_view text);

// A ByteSource over bytes in memory (tests and in-memory parsing).
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    explicit MemorySource(std::string_view text) : MemorySource(text.data(), text.size()) {}
    long Read(void* buffer, std::size_t size) override;
    std::uint64_t Tell() const override { return position_; }
    bool Seek(std::uint64_t position) override;
    long Span(const unsigned char** data) override;
    void Skip(std::size_t count) override;
    // Reading fails once the position has reached failAt (tests): no byte
    // at or after failAt is delivered.
    void FailReadsFrom(std::uint64_t failAt) { failAt_ = failAt; }
    // At most this many bytes per Read or Span (tests of span boundaries).
    void LimitSpans(std::size_t most) { spanLimit_ = most ? most : 1; }

private:
    std::size_t Available() const;

    const unsigned char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::uint64_t failAt_ = UINT64_MAX;
    std::size_t spanLimit_ = SIZE_MAX;
};

}  // namespace zenk
