#include "protocol/transfer_flow.h"

#include "trace/trace.h"

#include "protocol/names.h"

namespace tovan {

const char* TransferStateName(TransferState state) {
    switch (state) {
    case TransferState::kIdle: return "Idle";
    case TransferState::kAwaitPasv: return "AwaitPasv";
    case TransferState::kOpeningPassive: return "OpeningPassive";
    case TransferState::kOpeningActive: return "OpeningActive";
    case TransferState::kAwaitPort: return "AwaitPort";
    case TransferState::kAwaitPreliminary: return "AwaitPreliminary";
    case TransferState::kMovingData: return "MovingData";
    case TransferState::kAwaitCompletion: return "AwaitCompletion";
    case TransferState::kAwaitAbort: return "AwaitAbort";
    case TransferState::kDone: return "Done";
    case TransferState::kFailed: return "Failed";
    }
    return "?";
}

namespace {

const char* Verb(TransferKind kind) {
    switch (kind) {
    case TransferKind::kRetrieve: return "RETR";
    case TransferKind::kStore: return "STOR";
    case TransferKind::kStoreUnique: return "STOU";
    case TransferKind::kList: return "LIST";
    case TransferKind::kNameList: return "NLST";
    }
    return "?";
}

}  // namespace

TransferFlow::TransferFlow(TransferKind kind, std::string argument, bool tryPassive)
    : kind_(kind), argument_(std::move(argument)), tryPassive_(tryPassive) {}

FlowStep TransferFlow::EnterState(TransferState next, FlowStep step) {
    zenk::trace::State(zenk::trace::kFtp, TransferStateName(state_), TransferStateName(next));
    state_ = next;
    return step;
}

FlowStep TransferFlow::Fail(const std::string& why) {
    message_ = why;
    return EnterState(TransferState::kFailed, FlowStep::Just(FlowStep::kFinished));
}

FlowStep TransferFlow::Start() {
    if (tryPassive_) return EnterState(TransferState::kAwaitPasv, FlowStep::Send("PASV"));
    return EnterState(TransferState::kOpeningActive, FlowStep::Just(FlowStep::kOpenActive));
}

FlowStep TransferFlow::FallBackToActive() {
    fellBack_ = true;
    return EnterState(TransferState::kOpeningActive, FlowStep::Just(FlowStep::kOpenActive));
}

FlowStep TransferFlow::SendTransferCommand() {
    std::string command = Verb(kind_);
    if (!argument_.empty()) command += " " + argument_;
    return EnterState(TransferState::kAwaitPreliminary, FlowStep::Send(command));
}

FlowStep TransferFlow::OnReply(const Reply& reply) {
    switch (state_) {
    case TransferState::kAwaitPasv: return OnPasvReply(reply);
    case TransferState::kAwaitPort: return OnPortReply(reply);
    case TransferState::kAwaitPreliminary: return OnPreliminaryReply(reply);
    case TransferState::kAwaitCompletion: return OnCompletionReply(reply);
    case TransferState::kAwaitAbort: return OnAbortReply(reply);
    default: break;
    }
    return Fail("Unexpected reply: " + reply.lastLine);
}

FlowStep TransferFlow::OnPasvReply(const Reply& reply) {
    FlowStep step = FlowStep::Just(FlowStep::kOpenPassive);
    if (reply.code != 227 || !ParsePassiveReply(reply.lastLine, step.address)) return FallBackToActive();
    return EnterState(TransferState::kOpeningPassive, step);
}

FlowStep TransferFlow::OnPassiveOpened(bool connected) {
    if (state_ != TransferState::kOpeningPassive) return Fail("Data connection out of order");
    if (!connected) return FallBackToActive();
    return SendTransferCommand();
}

FlowStep TransferFlow::OnActiveListening(bool listening, const DataAddress& local) {
    if (state_ != TransferState::kOpeningActive) return Fail("Data connection out of order");
    if (!listening) return Fail("Cannot open a data connection");
    return EnterState(TransferState::kAwaitPort, FlowStep::Send("PORT " + FormatPortArgument(local)));
}

FlowStep TransferFlow::OnPortReply(const Reply& reply) {
    if (!reply.Completed()) return Fail("Server refused PORT: " + reply.lastLine);
    return SendTransferCommand();
}

FlowStep TransferFlow::OnPreliminaryReply(const Reply& reply) {
    if (kind_ == TransferKind::kStoreUnique && storedName_.empty()) storedName_ = StoreUniqueName(reply.lastLine);
    if (reply.Preliminary()) return EnterState(TransferState::kMovingData, FlowStep::Just(FlowStep::kMoveData));
    if (reply.Completed()) {
        // Some servers skip the 1xx: move the data, then nothing more to read.
        completedEarly_ = true;
        completion_ = reply.lastLine;
        return EnterState(TransferState::kMovingData, FlowStep::Just(FlowStep::kMoveData));
    }
    return Fail(std::string(Verb(kind_)) + " failed: " + reply.lastLine);
}

FlowStep TransferFlow::OnDataDone(bool ok, const std::string& error) {
    if (state_ != TransferState::kMovingData) return Fail("Data connection out of order");
    if (!ok) dataError_ = error.empty() ? std::string("data connection broken") : error;
    if (completedEarly_) {
        if (!dataError_.empty()) return Fail("Transfer failed: " + dataError_);
        return EnterState(TransferState::kDone, FlowStep::Just(FlowStep::kFinished));
    }
    return EnterState(TransferState::kAwaitCompletion, FlowStep::Just(FlowStep::kReadReply));
}

FlowStep TransferFlow::OnAnotherPreliminary(const Reply& reply) {
    if (++preliminaries_ > kMaxPreliminaryReplies) return Fail("Too many preliminary replies: " + reply.lastLine);
    return EnterState(state_, FlowStep::Just(FlowStep::kReadReply));
}

FlowStep TransferFlow::OnCompletionReply(const Reply& reply) {
    if (reply.Preliminary()) return OnAnotherPreliminary(reply);
    if (kind_ == TransferKind::kStoreUnique && storedName_.empty()) storedName_ = StoreUniqueName(reply.lastLine);
    if (!reply.Completed()) return Fail("Transfer failed: " + reply.lastLine);
    if (!dataError_.empty()) return Fail("Transfer failed: " + dataError_);
    completion_ = reply.lastLine;
    return EnterState(TransferState::kDone, FlowStep::Just(FlowStep::kFinished));
}

FlowStep TransferFlow::OnAbort() {
    if (state_ != TransferState::kMovingData) return Fail("Nothing to abort");
    aborted_ = true;
    finalsOwed_ = completedEarly_ ? 1 : 2;
    preliminaries_ = 0;
    return EnterState(TransferState::kAwaitAbort, FlowStep::Send("ABOR"));
}

void TransferFlow::OnStaleReplies(int finals) {
    if (state_ != TransferState::kAwaitAbort || finals <= 0) return;
    finalsOwed_ = finals >= finalsOwed_ ? 1 : finalsOwed_ - finals;
}

FlowStep TransferFlow::OnAbortReply(const Reply& reply) {
    // 426 (or a 226 when the transfer had just ended) closes the transfer,
    // then 225 / 226 answers ABOR itself: the latter is the one reported.
    if (reply.Preliminary()) return OnAnotherPreliminary(reply);
    preliminaries_ = 0;
    if (--finalsOwed_ > 0) return EnterState(TransferState::kAwaitAbort, FlowStep::Just(FlowStep::kReadReply));
    return Fail("Transfer aborted: " + reply.lastLine);
}

}  // namespace tovan
