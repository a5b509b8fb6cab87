// AttachmentStore: the files the scanner decodes attachments into.
//
// The scanner decides names and contents; this interface does the file
// work, so the scanner stays portable and tests can watch every file.
// One attachment file is open at a time.
#pragma once
#include <cstddef>

namespace zenk {

class AttachmentStore {
public:
    virtual ~AttachmentStore() = default;

    // Creates path as a new file and keeps it open for writing. False when
    // a file of that name exists or it cannot be created.
    virtual bool CreateNew(const char* path) = 0;

    enum class Unique {
        kOpened,      // a new file with a generated name is open; path holds its name
        kNoName,      // no unique name could be had
        kCannotOpen,  // a name was made but the file cannot be opened (it was deleted)
    };
    // Creates a file with a generated unique name, prefix "QDF", in folder,
    // or in the system's temporary folder when folder is empty, and keeps it
    // open. Writes the file's path (NUL-terminated) into path.
    virtual Unique CreateUnique(const char* folder, char* path, std::size_t capacity) = 0;

    // Appends bytes to the open file. False when the write fails.
    [[nodiscard]] virtual bool Write(const void* bytes, std::size_t count) = 0;
    // Closes the open file; it stays on disk.
    virtual void Close() = 0;
    // Closes the open file and deletes it.
    virtual void Discard() = 0;
    // Deletes a closed file this store created (the attachments of a message
    // that is reported as bad).
    virtual void Remove(const char* path) = 0;
};

}  // namespace zenk
