// Whole lines of any length, for the scanner.
//
// The inbox keeps messages as the server sent them, and real mail holds
// lines far longer than the 999 bytes the outbox line rules allow (a base64
// attachment on one line, a megabyte of HTML without a line break). The
// scanner therefore reads every line whole into a buffer that grows, and
// never reads a long line as several short ones. Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mime/message_files.h"

namespace zenk {

// The longest line the scanner keeps: longer lines are read up to their
// LF but marked cut, and the record they stand in is reported as bad
// rather than handed out with bytes missing.
constexpr std::size_t kMaxScanLine = 64u * 1024 * 1024;

// A byte buffer that grows by doubling (new without exceptions), NUL-kept.
class GrowBuffer {
public:
    GrowBuffer() = default;
    ~GrowBuffer() { delete[] data_; }
    GrowBuffer(const GrowBuffer&) = delete;
    GrowBuffer& operator=(const GrowBuffer&) = delete;

    // Appends n bytes; false (nothing appended) when memory runs out.
    [[nodiscard]] bool Append(const char* bytes, std::size_t n);
    [[nodiscard]] bool Append(std::string_view text) { return Append(text.data(), text.size()); }
    // Makes room for n bytes in all; false when memory runs out.
    bool Reserve(std::size_t n);
    void Clear();
    // Drops bytes from the end, leaving length n (n <= Size()).
    void Truncate(std::size_t n);

    char* Data() { return data_ ? data_ : empty_; }
    std::string_view View() const { return {data_ ? data_ : empty_, size_}; }
    std::size_t Size() const { return size_; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;  // bytes in data_, the NUL included
    char empty_[1] = {};
};

// One line as the scanner holds it: the line end removed (LF, and a CR just
// before it), any length.
struct ScanLine {
    GrowBuffer bytes;
    bool cut = false;  // longer than kMaxScanLine (or no memory): bytes holds its start

    std::string_view View() const { return bytes.View(); }
    std::size_t Length() const { return bytes.Size(); }
    bool Empty() const { return bytes.Size() == 0; }
    bool Equals(std::string_view text) const { return View() == text; }
};

// The scanner's reading path over the inbox: the source is read in
// blocks of kBlockSize and lines are cut out of the block with memchr, so
// a file is read with one system call per block, not per byte. Tell and
// Seek work on the logical position (the next byte a read delivers), so a
// look-ahead returns exactly to where it began; a seek inside the block in
// hand costs no read. It is itself a ByteSource, so the shared line
// readers (message_files.h) work on it too.
class ScanReader : public ByteSource {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    // source: where the bytes come from (null: reads fail); read only
    // through this reader from now on, from its position at the start.
    explicit ScanReader(ByteSource* source) : source_(source), blockStart_(source ? source->Tell() : 0) {}
    ScanReader(const ScanReader&) = delete;
    ScanReader& operator=(const ScanReader&) = delete;

    // Reads the next line whole. False: no line (the end of the file with
    // nothing read, or a failed read). A last line without LF is a line.
    bool ReadLine(ScanLine& line);
    // Reads the next line as ReadLine (message_files.h) does, except that a
    // line of 1000 bytes and more delivers its first 999 and the rest is
    // skipped up to its LF: for finding marker lines, never that long.
    bool ReadLineSkippingRest(Line& line);
    // The next byte without consuming it; -1 at the end or on a failed read.
    int PeekByte();

    long Read(void* buffer, std::size_t size) override;
    std::uint64_t Tell() const override { return blockStart_ + used_; }
    bool Seek(std::uint64_t position) override;

private:
    // Reads the next block once the one in hand is used up: its byte count,
    // 0 at the end, -1 when the read fails.
    long Fill();
    // Walks the next line through the blocks: take(bytes, n) for each piece
    // before the LF, which is consumed. 1: a line ended by LF, 2: a last
    // line without LF, 0: no line (the end), -1: the read failed.
    template <class Take>
    int ReadPieces(Take&& take);

    ByteSource* source_;
    std::uint64_t blockStart_;      // source position of block_[0]
    std::size_t filled_ = 0;        // valid bytes in block_
    std::size_t used_ = 0;          // bytes of block_ already delivered
    unsigned char block_[kBlockSize];
};

// For FindRecordEnd (message_files.h) over a ScanReader: reads its marker
// lines in blocks. source must be a ScanReader.
bool ReadReaderLineSkippingRest(ByteSource& source, Line& line);

}  // namespace zenk
