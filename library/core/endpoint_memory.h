// Where endpoint memory comes from: one small table of two functions.
//
// The endpoints, their staging buffers, the packet queues and the endpoint
// registry's elements allocate only through Mem(), so that the library's tests can make the n-th allocation
// fail and check the out-of-memory paths; the shipped library never changes
// the table. Portable: no Windows header.
#pragma once
#include <cstddef>

namespace zenk {

struct MemoryApi {
    void* (*allocate)(std::size_t bytes);  // null when no memory; never throws
    void (*release)(void* block);          // accepts null
};

// The table in use. Only the library's tests ever change it.
MemoryApi& Mem();

// The table of the real functions (malloc and free), to restore from.
const MemoryApi& RealMemoryApi();

}  // namespace zenk
