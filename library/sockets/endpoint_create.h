// The creation step shared by the UDP and stream exports (after the gate):
// allocate the endpoint under the current session, write the handle, run
// the variant's set-up and return its result.
#pragma once
#include <new>

#include "core/win_library_state.h"
#include "core/owner_notify.h"
#include "zenk32_defs.h"

namespace zenk {

// ZENK_BAD_HANDLE when the endpoint cannot be allocated and ZENK_FAILED when
// out is null (nothing is allocated then); else setup(endpoint)'s result with
// the handle written, also when the set-up failed.
template <class Endpoint, class Setup>
int CreateEndpoint(void** out, const OwnerNotify& owner, Setup&& setup) {
    if (!out) return ZENK_FAILED;
    Endpoint* endpoint = new (std::nothrow) Endpoint(*CurrentSession(), owner);
    if (!endpoint) return ZENK_BAD_HANDLE;
    *out = endpoint;
    return setup(*endpoint);
}

}  // namespace zenk
