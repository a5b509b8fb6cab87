// Shared by the scanner tests: an inbox in memory and attachment files in a map.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "mime/mime_scanner.h"

namespace mimetest {

using namespace zenk;

// Attachment files in memory; "existing" files can be planted beforehand.
class MemoryStore : public AttachmentStore {
public:
    std::map<std::string, std::string> files;
    std::string open;  // path of the open file, or empty
    int generated = 0;
    bool failUnique = false;
    int writesLeft = -1;  // writes that succeed before all fail (a full disk); -1: none fails
    std::map<std::string, std::vector<std::size_t>> writeSizes;  // each file's writes, in order

    bool CreateNew(const char* path) override {
        if (files.count(path)) return false;
        files[path];
        open = path;
        return true;
    }
    Unique CreateUnique(const char* folder, char* path, std::size_t capacity) override {
        if (failUnique) return Unique::kNoName;
        std::string dir = *folder ? folder : "TMP";
        std::string p = dir + "\\QDF" + std::to_string(++generated) + ".tmp";
        snprintf(path, capacity, "%s", p.c_str());
        files[p];
        open = p;
        return Unique::kOpened;
    }
    bool Write(const void* bytes, std::size_t count) override {
        EXPECT_FALSE(open.empty());
        if (writesLeft == 0) return false;
        if (writesLeft > 0) --writesLeft;
        files[open].append(static_cast<const char*>(bytes), count);
        writeSizes[open].push_back(count);
        return true;
    }
    void Close() override { open.clear(); }
    void Discard() override { files.erase(open); open.clear(); }
    void Remove(const char* path) override {
        EXPECT_NE(open, path);  // only closed files are removed
        EXPECT_EQ(files.erase(path), 1u) << path;
    }
};

// An inbox: count line, then each message between the markers, CR LF lines.
inline std::string Inbox(const std::vector<std::string>& messages, int count = -1) {
    std::string s = "Letters : " + std::to_string(count < 0 ? int(messages.size()) : count) + "\r\n";
    for (const auto& m : messages) s += "BEGIN MESSAGE\r\n" + m + "END MESSAGE\r\n";
    return s;
}

// Joins lines with CR LF after each.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

// A source that hands out at most `most` bytes per read and counts them.
class CountingSource : public ByteSource {
public:
    CountingSource(const std::string& data, std::size_t most = SIZE_MAX) : inner_(data), most_(most) {}
    long Read(void* buffer, std::size_t size) override {
        ++reads;
        const long got = inner_.Read(buffer, size < most_ ? size : most_);
        if (got > 0) bytesRead += static_cast<std::size_t>(got);
        return got;
    }
    std::uint64_t Tell() const override { return inner_.Tell(); }
    bool Seek(std::uint64_t position) override { return inner_.Seek(position); }
    std::size_t reads = 0;
    std::size_t bytesRead = 0;

private:
    MemorySource inner_;
    std::size_t most_;
};

struct Scan {
    std::string data;
    MemorySource source;
    MemoryStore store;
    MimeScanner scanner;
    Scan(std::string inbox, const char* dir = "C:\\att")
        : data(std::move(inbox)), source(data), scanner(&source, store, dir) {}
};

inline std::string Text(const MimeMessageRecord* r) { return r && r->text ? std::string(r->text) : "<none>"; }

}  // namespace mimetest
