// An in-memory ComposerStorage for the composer's native tests: files are
// strings by name; a file can be made unopenable, and the clock is fixed.
#pragma once
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
        if (bytes_->size() < pos_ + size) bytes_->resize(pos_ + size);
        bytes_->replace(pos_, size, static_cast<const char*>(data), size);
        pos_ += size;
        return true;
    }
    long Read(void* buffer, std::size_t size) override {
        std::size_t n = std::min(size, bytes_->size() - pos_);
        bytes_->copy(static_cast<char*>(buffer), n, pos_);
        pos_ += n;
        return static_cast<long>(n);
    }
    bool Rewind() override {
        pos_ = 0;
        return true;
    }
    bool Flush() override { return true; }
    bool failWrites = false;

private:
    std::shared_ptr<std::string> bytes_;
    std::size_t pos_ = 0;
};

class MemoryStorage : public zenk::ComposerStorage {
public:
    std::map<std::string, std::shared_ptr<std::string>> files;
    std::set<std::string> unopenable;  // names whose open or create fails
    std::set<std::string> open;        // names open now (no sharing)
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
    // of a file still open fails as it does without sharing.
    class TrackedFile : public MemoryFile {
    public:
        TrackedFile(std::shared_ptr<std::string> b, MemoryStorage& s, std::string n)
            : MemoryFile(std::move(b)), storage_(s), name_(std::move(n)) {}
        ~TrackedFile() override { storage_.open.erase(name_); }

    private:
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
