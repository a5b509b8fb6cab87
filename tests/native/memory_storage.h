// An in-memory ComposerStorage for the composer's native tests: files are
// strings by name; a file can be made unopenable, short of room (a full
// disk) or unreadable from some offset on, and the clock is fixed.
#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "mime/composer_storage.h"
#include "mime/message_files.h"

namespace testutil {

class MemoryFile : public zenk::ComposerFile {
public:
    explicit MemoryFile(std::shared_ptr<std::string> bytes) : bytes_(std::move(bytes)) {}
    bool Write(const void* data, std::size_t size) override {
        if (failWrites) return false;
        if (pos_ + size > room) {  // a full disk: what fits is written
            std::size_t fits = room > pos_ ? room - pos_ : 0;
            if (fits) Write(data, fits);
            return false;
        }
        if (bytes_->size() < pos_ + size) bytes_->resize(pos_ + size);
        bytes_->replace(pos_, size, static_cast<const char*>(data), size);
        pos_ += size;
        return true;
    }
    long Read(void* buffer, std::size_t size) override {
        if (pos_ >= failReadsAt) return -1;
        std::size_t n = std::min({size, bytes_->size() - pos_, failReadsAt - pos_});
        bytes_->copy(static_cast<char*>(buffer), n, pos_);
        pos_ += n;
        return static_cast<long>(n);
    }
    bool Rewind() override {
        pos_ = 0;
        return true;
    }
    bool Flush() override { return true; }
    bool Position(std::uint64_t* position) override {
        *position = pos_;
        return true;
    }
    bool Seek(std::uint64_t position) override {
        if (position > bytes_->size()) return false;
        pos_ = static_cast<std::size_t>(position);
        return true;
    }
    bool Truncate(std::uint64_t position) override {
        if (failTruncate || position > bytes_->size()) return false;
        bytes_->resize(static_cast<std::size_t>(position));
        pos_ = bytes_->size();
        return true;
    }
    bool failWrites = false;                 // every write fails
    bool failTruncate = false;               // a record cannot be taken back
    std::size_t room = SIZE_MAX;             // the file cannot grow past this size
    std::size_t failReadsAt = SIZE_MAX;      // reads from this offset on fail

private:
    std::shared_ptr<std::string> bytes_;
    std::size_t pos_ = 0;
};

class MemoryStorage : public zenk::ComposerStorage {
public:
    std::map<std::string, std::shared_ptr<std::string>> files;
    std::set<std::string> unopenable;  // names whose open or create fails
    std::set<std::string> open;        // names open now (no sharing)
    std::map<std::string, std::size_t> room;         // a full disk: a file's size limit
    std::map<std::string, std::size_t> readFailsAt;  // reads of a file fail from this offset
    std::set<std::string> truncateFails;             // names whose Truncate fails
    int scratchDeletes = 0;
    zenk::CivilTime local{1996, 11, 5, 8, 14, 3, 9};
    zenk::CivilTime utc{1996, 11, 5, 8, 13, 3, 9};

    zenk::ComposerFile* CreateOutbox(const char* path) override { return Make(path, true); }
    zenk::ComposerFile* CreateScratch() override { return Make(zenk::kScratchFileName, true); }
    zenk::ComposerFile* OpenAttachment(const char* path) override { return Make(path, false); }
    void DeleteScratch() override {
        ++scratchDeletes;
        if (!open.count(zenk::kScratchFileName)) files.erase(zenk::kScratchFileName);
    }
    void Now(zenk::CivilTime* l, zenk::CivilTime* u) override {
        *l = local;
        *u = utc;
    }
    std::string Text(const std::string& name) const {
        auto it = files.find(name);
        return it == files.end() ? std::string() : *it->second;
    }

private:
    // Files report their close back to the storage, so that a second open
    // of a file still open fails as it does without sharing. The faults
    // set on the storage reach files that are already open.
    class TrackedFile : public MemoryFile {
    public:
        TrackedFile(std::shared_ptr<std::string> b, MemoryStorage& s, std::string n)
            : MemoryFile(std::move(b)), storage_(s), name_(std::move(n)) {}
        ~TrackedFile() override { storage_.open.erase(name_); }
        bool Write(const void* data, std::size_t size) override {
            Sync();
            return MemoryFile::Write(data, size);
        }
        long Read(void* buffer, std::size_t size) override {
            Sync();
            return MemoryFile::Read(buffer, size);
        }
        bool Truncate(std::uint64_t position) override {
            Sync();
            return MemoryFile::Truncate(position);
        }

    private:
        void Sync() {
            auto r = storage_.room.find(name_);
            room = r == storage_.room.end() ? SIZE_MAX : r->second;
            auto f = storage_.readFailsAt.find(name_);
            failReadsAt = f == storage_.readFailsAt.end() ? SIZE_MAX : f->second;
            failTruncate = storage_.truncateFails.count(name_) > 0;
        }
        MemoryStorage& storage_;
        std::string name_;
    };

    zenk::ComposerFile* Make(const std::string& name, bool create) {
        if (unopenable.count(name) || open.count(name)) return nullptr;
        auto it = files.find(name);
        if (it == files.end()) {
            if (!create) return nullptr;
            it = files.emplace(name, std::make_shared<std::string>()).first;
        } else if (create) {
            it->second->clear();
        }
        open.insert(name);
        return new TrackedFile(it->second, *this, name);
    }
};

}  // namespace testutil
