// The gate every export passes before its family's code runs.
//
// Checks, in this order: F = the library is initialised, S = a WinSock
// session exists, H = the handle is not null. The first check that fails
// gives the export's listed result. The body then runs with every C++
// exception caught, so none crosses the interface.
#pragma once
#include <optional>
#include <type_traits>

#include "core/library_state.h"

namespace zenk {

struct Gate {
    int notInitialised;  // result when the initialised flag is clear (F)
    bool needsSession;   // S: fails with ZENK_NOT_READY (-1) without a session
    bool needsHandle;    // H: the handle must not be null
    int nullHandle;      // result for a null handle
    int exception;       // result if the body throws (bad_alloc and the like)
};

// The gates of the library's families, named after their shape.
constexpr Gate kGateF{-1, false, false, 0, -2};          // F (-1)
constexpr Gate kGateFS{-1, true, false, 0, -2};          // F (-1), S
constexpr Gate kGateFSH{-1, true, true, -4, -2};         // F (-1), S, H (-4)
constexpr Gate kGateFH{-1, false, true, -4, -2};         // F (-1), H (-4)

// Returns the gate's result when a check fails, nothing when all pass.
inline std::optional<int> CheckGate(const Gate& gate, const void* handle) {
    if (!IsInitialised()) return gate.notInitialised;
    if (gate.needsSession && !CurrentSession()) return -1;
    if (gate.needsHandle && !handle) return gate.nullHandle;
    return std::nullopt;
}

// Runs body() behind the gate. For pointer-returning exports every failure
// (gate or exception) gives null.
template <class Body>
auto Guarded(const Gate& gate, const void* handle, Body&& body) -> decltype(body()) {
    using R = decltype(body());
    if (auto failed = CheckGate(gate, handle)) {
        if constexpr (std::is_pointer_v<R>) return nullptr;
        else return static_cast<R>(*failed);
    }
    try {
        return body();
    } catch (...) {
        if constexpr (std::is_pointer_v<R>) return nullptr;
        else return static_cast<R>(gate.exception);
    }
}

}  // namespace zenk
