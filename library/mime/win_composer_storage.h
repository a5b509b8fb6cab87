// The composer's files and clock on Windows: every file is opened for
// reading and writing without sharing, as the message-file rules require.
#pragma once
#include "mime/composer_storage.h"

namespace zenk {

class WindowsComposerStorage : public ComposerStorage {
public:
    ComposerFile* CreateOutbox(const char* path) override;
    ComposerFile* CreateScratch() override;
    ComposerFile* OpenAttachment(const char* path) override;
    ComposerFile* OpenAttachmentIn(const char* path, unsigned codePage) override;
    void DeleteScratch() override;
    void Now(CivilTime* local, CivilTime* utc) override;
};

// The one storage every composer uses (it holds no state).
ComposerStorage& SystemComposerStorage();

}  // namespace zenk
