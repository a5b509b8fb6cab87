// What the composer needs from the system: its files and the clock.
//
// The composer itself is portable; the Windows build gives it files opened
// as the message-file rules require (read and write, no sharing), the
// tests give it files in memory.
#pragma once
#include <cstddef>
#include <cstdint>

#include "mime/message_stamps.h"

namespace zenk {

// One open file. Deleting the object closes the file.
class ComposerFile {
public:
    virtual ~ComposerFile() = default;
    // Writes at the current position. True only when every byte was written.
    [[nodiscard]] virtual bool Write(const void* data, std::size_t size) = 0;
    // Reads at the current position: bytes read, 0 at the end, -1 on failure.
    virtual long Read(void* buffer, std::size_t size) = 0;
    // Moves to the start of the file.
    virtual bool Rewind() = 0;
    [[nodiscard]] virtual bool Flush() = 0;
    // The current position, for a later Seek or Truncate; false when it
    // cannot be had.
    virtual bool Position(std::uint64_t* position) = 0;
    virtual bool Seek(std::uint64_t position) = 0;
    // Cuts the file at position and moves there: a record that could not
    // be written whole is taken back this way.
    virtual bool Truncate(std::uint64_t position) = 0;
};

class ComposerStorage {
public:
    virtual ~ComposerStorage() = default;
    // Each returns a new file object, or null when the file cannot be had.
    // The outbox: created, or emptied when it exists; sequential access.
    virtual ComposerFile* CreateOutbox(const char* path) = 0;
    // The scratch body file "ZENKMIME.QDF" in the current directory,
    // created or emptied.
    virtual ComposerFile* CreateScratch() = 0;
    // An existing file to attach, for reading (no sharing while it is read).
    virtual ComposerFile* OpenAttachment(const char* path) = 0;
    // The same for a path written in a Windows code page; 0 stands for the
    // ANSI code page, which is all a storage without code pages knows.
    virtual ComposerFile* OpenAttachmentIn(const char* path, unsigned codePage) {
        (void)codePage;
        return OpenAttachment(path);
    }
    // Deletes the scratch body file (closed before).
    virtual void DeleteScratch() = 0;
    // Reads the local and then the UTC clock.
    virtual void Now(CivilTime* local, CivilTime* utc) = 0;
};

}  // namespace zenk
