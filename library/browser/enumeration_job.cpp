#include "browser/enumeration_job.h"

#include <process.h>

#include <new>

#include "browser/tree_builder.h"
#include "browser/wnet_provider.h"

namespace zenk::browser {

EnumerationJob* EnumerationJob::Start(HWND dialog, UINT message) {
    EnumerationJob* job = new (std::nothrow) EnumerationJob(dialog, message);
    if (!job) return nullptr;
    // The worker holds the library it runs in, so that unloading the library
    // while a worker runs does not pull the code from under it.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&EnumerationJob::Run), &job->module_))
        job->module_ = nullptr;
    uintptr_t thread = _beginthreadex(nullptr, 0, &EnumerationJob::Run, job, 0, nullptr);
    if (!thread) {
        if (job->module_) FreeLibrary(job->module_);
        delete job;
        return nullptr;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return job;
}

EnumerationJob::~EnumerationJob() { FreeTree(tree_); }

bool EnumerationJob::Finished() const {
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&finished_), 0, 0) != 0;
}

ResourceNode* EnumerationJob::TakeTree() {
    ResourceNode* tree = tree_;
    tree_ = nullptr;
    return tree;
}

void EnumerationJob::Release() {
    if (InterlockedDecrement(&references_) == 0) delete this;
}

unsigned __stdcall EnumerationJob::Run(void* context) {
    EnumerationJob* job = static_cast<EnumerationJob*>(context);
    ResourceNode* tree = nullptr;
    try {
        WNetProvider provider;
        tree = BuildTree(provider, IsWin95Family());
    } catch (...) {
        // Nothing throws on purpose; a stray exception ends up as "no network".
    }
    job->tree_ = tree;
    job->outcome_ = tree ? 0 : -2;
    // The outcome is in place before the dialog can hear of it.
    InterlockedExchange(&job->finished_, 1);
    PostMessageA(job->dialog_, job->message_, 0, tree ? 1 : 0);
    HMODULE module = job->module_;
    job->Release();
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

}  // namespace zenk::browser
