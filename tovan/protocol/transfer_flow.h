// TransferFlow: one command that moves data over a data connection
// (RETR, STOR, STOU, LIST, NLST), RFC 959 5.4 and 4.1.3 (ABOR).
//
// Passive mode first: PASV, connect to the port the server names. When
// the server refuses PASV or the connection cannot be made, the flow falls
// back to active mode: listen, PORT, and let the server connect.
#pragma once
#include <string>

#include "protocol/flow_step.h"
#include "protocol/reply_reader.h"

namespace tovan {

enum class TransferKind { kRetrieve, kStore, kStoreUnique, kList, kNameList };

enum class TransferState {
    kIdle,               // not started
    kAwaitPasv,          // PASV sent
    kOpeningPassive,     // connecting to the server's data port
    kOpeningActive,      // listening for the server's data connection
    kAwaitPort,          // PORT sent
    kAwaitPreliminary,   // the transfer command sent, waiting for 1xx
    kMovingData,         // data flowing
    kAwaitCompletion,    // data done, waiting for 226 / 250
    kAwaitAbort,         // ABOR sent, waiting for its 225 / 226
    kDone,               // transfer complete
    kFailed              // refused, broken or aborted; Message() says why
};

const char* TransferStateName(TransferState state);

class TransferFlow {
public:
    // argument may be empty (LIST, NLST, STOU without a name).
    TransferFlow(TransferKind kind, std::string argument, bool tryPassive);

    FlowStep Start();
    FlowStep OnReply(const Reply& reply);
    // The result of kOpenPassive.
    FlowStep OnPassiveOpened(bool connected);
    // The result of kOpenActive: the address the server is to connect to.
    FlowStep OnActiveListening(bool listening, const DataAddress& local);
    // The data channel ended: cleanly (ok) or broken (error says how).
    FlowStep OnDataDone(bool ok, const std::string& error);
    // An abort request while data is moving: send ABOR. Then two final
    // replies are read (RFC 959: the transfer's own, 426 or a 226 when it
    // had just completed, and the one to ABOR), or one when the server had
    // already given the transfer's final reply.
    FlowStep OnAbort();
    // finals final replies arrived unasked just before the latest command
    // went out and were dropped; after ABOR they were the transfer's own,
    // so fewer remain to be read (never fewer than ABOR's).
    void OnStaleReplies(int finals);

    TransferState State() const { return state_; }
    const std::string& Message() const { return message_; }
    // True once the flow left passive mode for active mode.
    bool FellBackToActive() const { return fellBack_; }
    bool Aborted() const { return aborted_; }
    // The name the server chose for STOU, when it said.
    const std::string& StoredName() const { return storedName_; }
    // The closing reply of a completed transfer.
    const std::string& CompletionText() const { return completion_; }

private:
    // The only way to change state.
    FlowStep EnterState(TransferState next, FlowStep step);
    FlowStep Fail(const std::string& why);
    FlowStep FallBackToActive();
    FlowStep SendTransferCommand();
    FlowStep OnPasvReply(const Reply& reply);
    FlowStep OnPortReply(const Reply& reply);
    FlowStep OnPreliminaryReply(const Reply& reply);
    FlowStep OnCompletionReply(const Reply& reply);
    FlowStep OnAbortReply(const Reply& reply);
    // Another 1xx while waiting for a final reply: read on, up to a bound.
    FlowStep OnAnotherPreliminary(const Reply& reply);

    TransferKind kind_;
    std::string argument_;
    bool tryPassive_;
    TransferState state_ = TransferState::kIdle;
    bool fellBack_ = false;
    bool aborted_ = false;
    bool completedEarly_ = false;  // the server sent 2xx instead of 1xx
    int finalsOwed_ = 0;           // after ABOR: final replies still to come
    int preliminaries_ = 0;        // 1xx replies in a row while waiting
    std::string dataError_;        // why the data channel broke, if it did
    std::string message_;
    std::string storedName_;
    std::string completion_;
};

}  // namespace tovan
