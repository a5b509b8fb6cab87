#include "core/endpoint_memory.h"

#include <cstdlib>

namespace zenk {
namespace {

void* Allocate(std::size_t bytes) { return std::malloc(bytes ? bytes : 1); }
void Release(void* block) { std::free(block); }

const MemoryApi kReal = {Allocate, Release};
MemoryApi g_memory = kReal;

}  // namespace

MemoryApi& Mem() { return g_memory; }
const MemoryApi& RealMemoryApi() { return kReal; }

}  // namespace zenk
