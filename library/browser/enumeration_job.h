// One enumeration of the network tree, run by its own worker thread.
//
// The job, not the dialog, owns the tree while the worker builds it, and the
// job lives until both the worker and the dialog have let go of it. So a
// dialog that refreshes or closes while a worker runs simply lets go: the
// worker finishes into its own job, its message is ignored, and the last
// one out frees the job and its tree.
#pragma once
#include <windows.h>

#include "browser/resource_tree.h"

namespace zenk::browser {

class EnumerationJob {
public:
    // Starts a worker that builds the tree and then posts
    // (message, 0, 1 when the tree holds a network, else 0) to `dialog`.
    // Returns the job with one reference held by the caller, or null when
    // no memory or no thread could be had.
    static EnumerationJob* Start(HWND dialog, UINT message);

    // True once the worker has put the tree and outcome in place; it posts
    // its message only after that.
    bool Finished() const;
    // 0 when the tree holds a network, -2 when it holds none; only when Finished.
    int Outcome() const { return outcome_; }
    // Hands the finished tree to the caller, who then owns it.
    ResourceNode* TakeTree();
    // Drops one reference; the last one frees the job and any tree left in it.
    void Release();

private:
    EnumerationJob(HWND dialog, UINT message) : dialog_(dialog), message_(message) {}
    ~EnumerationJob();
    static unsigned __stdcall Run(void* job);

    volatile LONG references_ = 2;  // the dialog's and the worker's
    volatile LONG finished_ = 0;    // set by the worker when tree_ and outcome_ are in place
    ResourceNode* tree_ = nullptr;  // first network, or null
    int outcome_ = -1;              // -1 while the worker enumerates, then 0 or -2
    HWND dialog_;
    UINT message_;
    HMODULE module_ = nullptr;  // keeps the library loaded while the worker runs
};

}  // namespace zenk::browser
