// The gate every export passes before its family's code runs.
//
// Checks, in this order: F = the library is initialised, S = a WinSock
// session exists, H = the handle is not null. The first check that fails
// gives the export's listed result. The body then runs with every C++
// exception caught, so none crosses the interface.
#pragma once
#include <optional>
#include <type_traits>

#include "core/win_library_state.h"
#include "zenk32_defs.h"

namespace zenk {

struct Gate {
    int notInitialised;  // result when the initialised flag is clear (F)
    bool needsSession;   // S: fails with ZENK_NOT_READY without a session
    bool needsHandle;    // H: the handle must not be null
    int nullHandle;      // result for a null handle
    int exception;       // result if the body throws (bad_alloc and the like)
};

// The gates of the library's families, named after their shape.
constexpr Gate kGateF{.notInitialised = ZENK_NOT_READY, .needsSession = false, .needsHandle = false,
                     .nullHandle = ZENK_OK, .exception = ZENK_FAILED};
constexpr Gate kGateFS{.notInitialised = ZENK_NOT_READY, .needsSession = true, .needsHandle = false,
                      .nullHandle = ZENK_OK, .exception = ZENK_FAILED};
constexpr Gate kGateFSH{.notInitialised = ZENK_NOT_READY, .needsSession = true, .needsHandle = true,
                       .nullHandle = ZENK_BAD_HANDLE, .exception = ZENK_FAILED};
constexpr Gate kGateFH{.notInitialised = ZENK_NOT_READY, .needsSession = false, .needsHandle = true,
                      .nullHandle = ZENK_BAD_HANDLE, .exception = ZENK_FAILED};

// Session starts (POP3, scanner): a throw (no memory) reads as ZENK_NOT_READY,
// the result their allocation failure gives.
constexpr Gate kGateStart{.notInitialised = ZENK_NOT_READY, .needsSession = false, .needsHandle = false,
                          .nullHandle = ZENK_OK, .exception = ZENK_NOT_READY};
// ZENKSMTPClose and ZENKPOP3Close answer a null handle with ZENK_FAILED.
constexpr Gate kGateCloseNullFails{.notInitialised = ZENK_NOT_READY, .needsSession = false, .needsHandle = true,
                                   .nullHandle = ZENK_FAILED, .exception = ZENK_FAILED};
// ZENKUDPWriteToPort answers a null handle with its own code.
constexpr Gate kGateUdpWriteToPort{.notInitialised = ZENK_NOT_READY, .needsSession = true, .needsHandle = true,
                                   .nullHandle = ZENK_UDP_NULL_HANDLE, .exception = ZENK_FAILED};

// The yes/no calls (ZENKStartWinSock, ZENKGetServerNameDlg): ZENK_FALSE for
// every failure. ZENKEndWinSock's gate is the same, but its session is
// forgotten before anything can throw, so a throw still means it ended.
constexpr Gate kGateYesNo{.notInitialised = ZENK_FALSE, .needsSession = false, .needsHandle = false,
                          .nullHandle = ZENK_FALSE, .exception = ZENK_FALSE};
constexpr Gate kGateEndSession{.notInitialised = ZENK_FALSE, .needsSession = false, .needsHandle = false,
                               .nullHandle = ZENK_FALSE, .exception = ZENK_TRUE};

// Returns the gate's result when a check fails, nothing when all pass.
inline std::optional<int> CheckGate(const Gate& gate, const void* handle) {
    if (!IsInitialised()) return gate.notInitialised;
    if (gate.needsSession && !CurrentSession()) return ZENK_NOT_READY;
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
