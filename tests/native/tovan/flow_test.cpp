// The login and transfer flows of tovan32, driven by scripted replies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/login_flow.h"
#include "protocol/transfer_flow.h"
#include "trace/trace.h"

using namespace tovan;

namespace {

Reply R(int code, const std::string& text = "x") {
    Reply r;
    r.code = code;
    r.text = r.lastLine = std::to_string(code) + " " + text;
    return r;
}

TEST(TovanLoginFlow, GreetingUserPassAccount) {
    LoginFlow flow("alice", "pw", "acct");
    EXPECT_EQ(flow.Start(true).kind, FlowStep::kReadReply);
    EXPECT_EQ(flow.OnReply(R(120, "soon")).kind, FlowStep::kReadReply);
    FlowStep s = flow.OnReply(R(220));
    EXPECT_EQ(s.command, "USER alice");
    s = flow.OnReply(R(331));
    EXPECT_EQ(s.command, "PASS pw");
    EXPECT_EQ(flow.State(), LoginState::kAwaitPass);
    s = flow.OnReply(R(332));
    EXPECT_EQ(s.command, "ACCT acct");
    s = flow.OnReply(R(230));
    EXPECT_EQ(s.kind, FlowStep::kFinished);
    EXPECT_EQ(flow.State(), LoginState::kLoggedIn);
    EXPECT_EQ(flow.Message(), "");
}

// With ZENK_TRACE=ftp the flow's state changes are traced by name; the
// commands it asks for are traced (masked) by the connection that sends them.
std::vector<std::string> gTraced;
bool TraceInto(const char* line, std::size_t length) {
    gTraced.emplace_back(line, length);
    return true;
}

TEST(TovanLoginFlow, StateChangesAreTracedByName) {
    gTraced.clear();
    zenk::trace::Configure(zenk::trace::kFtp, TraceInto);
    LoginFlow flow("alice", "pw", "acct");
    flow.Start(true);
    flow.OnReply(R(220));
    flow.OnReply(R(331));
    flow.OnReply(R(332));
    flow.OnReply(R(230));
    zenk::trace::Configure(0, nullptr);
    EXPECT_EQ(gTraced, (std::vector<std::string>{"[ftp] state AwaitGreeting -> AwaitUser",
                                                 "[ftp] state AwaitUser -> AwaitPass",
                                                 "[ftp] state AwaitPass -> AwaitAcct",
                                                 "[ftp] state AwaitAcct -> LoggedIn"}));
}

TEST(TovanLoginFlow, NotReadyRepliesAreBounded) {
    LoginFlow patient("u", "p", "");
    patient.Start(true);
    for (int i = 0; i < kMaxPreliminaryReplies; ++i) EXPECT_EQ(patient.OnReply(R(120)).kind, FlowStep::kReadReply);
    EXPECT_EQ(patient.OnReply(R(220)).command, "USER u");

    LoginFlow endless("u", "p", "");
    FlowStep s = endless.Start(true);
    for (int i = 0; i <= kMaxPreliminaryReplies; ++i) s = endless.OnReply(R(120, "in 5 minutes"));
    EXPECT_EQ(s.kind, FlowStep::kFinished);
    EXPECT_EQ(endless.State(), LoginState::kFailed);
    EXPECT_EQ(endless.Message(), "Server not ready: 120 in 5 minutes");
}

TEST(TovanLoginFlow, ReloginStartsWithUserAndMayNeedNoPassword) {
    LoginFlow flow("bob@target", "pw", "");
    EXPECT_EQ(flow.Start(false).command, "USER bob@target");
    EXPECT_EQ(flow.OnReply(R(230)).kind, FlowStep::kFinished);
    EXPECT_EQ(flow.State(), LoginState::kLoggedIn);
}

TEST(TovanLoginFlow, FailuresCarryTheServersReply) {
    struct Case {
        std::vector<int> replies;
        std::string message;
    } cases[] = {
        {{421}, "Server refused the connection: 421 x"},
        {{220, 530}, "Login failed: 530 x"},
        {{220, 331, 530}, "Login failed: 530 x"},
        {{220, 331, 332}, "Login needs an account: 332 x"},
        {{220, 332}, "Login needs an account: 332 x"},
        {{0}, "Server refused the connection: 0 x"},
    };
    for (const auto& c : cases) {
        LoginFlow flow("u", "p", "");
        FlowStep s = flow.Start(true);
        for (int code : c.replies) s = flow.OnReply(R(code));
        EXPECT_EQ(s.kind, FlowStep::kFinished);
        EXPECT_EQ(flow.State(), LoginState::kFailed);
        EXPECT_EQ(flow.Message(), c.message);
    }
    LoginFlow refusedAccount("u", "p", "a");
    refusedAccount.Start(false);
    refusedAccount.OnReply(R(331));
    refusedAccount.OnReply(R(332));
    refusedAccount.OnReply(R(530));
    EXPECT_EQ(refusedAccount.Message(), "Account refused: 530 x");
}

TEST(TovanTransferFlow, PassiveRetrieve) {
    TransferFlow flow(TransferKind::kRetrieve, "a.bin", true);
    FlowStep s = flow.Start();
    EXPECT_EQ(s.command, "PASV");
    s = flow.OnReply(R(227, "Entering Passive Mode (10,0,0,1,4,1)"));
    ASSERT_EQ(s.kind, FlowStep::kOpenPassive);
    EXPECT_EQ(s.address.port, 1025);
    s = flow.OnPassiveOpened(true);
    EXPECT_EQ(s.command, "RETR a.bin");
    EXPECT_EQ(flow.OnReply(R(150)).kind, FlowStep::kMoveData);
    EXPECT_EQ(flow.OnDataDone(true, "").kind, FlowStep::kReadReply);
    EXPECT_EQ(flow.OnReply(R(226, "Transfer complete.")).kind, FlowStep::kFinished);
    EXPECT_EQ(flow.State(), TransferState::kDone);
    EXPECT_EQ(flow.CompletionText(), "226 Transfer complete.");
    EXPECT_FALSE(flow.FellBackToActive());
}

TEST(TovanTransferFlow, FallsBackToActiveWhenPassiveFails) {
    DataAddress local;
    local.ip[0] = 127;
    local.ip[3] = 1;
    local.port = 5000;
    for (int refusedPasv = 0; refusedPasv < 3; ++refusedPasv) {
        TransferFlow flow(TransferKind::kList, "", true);
        flow.Start();
        FlowStep s;
        if (refusedPasv == 0) {
            s = flow.OnReply(R(502));
        } else if (refusedPasv == 1) {
            s = flow.OnReply(R(227, "no address here"));
        } else {
            flow.OnReply(R(227, "(1,2,3,4,5,6)"));
            s = flow.OnPassiveOpened(false);
        }
        ASSERT_EQ(s.kind, FlowStep::kOpenActive) << refusedPasv;
        s = flow.OnActiveListening(true, local);
        EXPECT_EQ(s.command, "PORT 127,0,0,1,19,136");
        EXPECT_EQ(flow.OnReply(R(200)).command, "LIST");
        EXPECT_TRUE(flow.FellBackToActive());
    }
}

TEST(TovanTransferFlow, ActiveFromTheStartAndRefusedPort) {
    TransferFlow flow(TransferKind::kStore, "x", false);
    EXPECT_EQ(flow.Start().kind, FlowStep::kOpenActive);
    flow.OnActiveListening(true, DataAddress());
    EXPECT_EQ(flow.OnReply(R(500, "Illegal PORT")).kind, FlowStep::kFinished);
    EXPECT_EQ(flow.Message(), "Server refused PORT: 500 Illegal PORT");

    TransferFlow noListen(TransferKind::kStore, "x", false);
    noListen.Start();
    EXPECT_EQ(noListen.OnActiveListening(false, DataAddress()).kind, FlowStep::kFinished);
    EXPECT_EQ(noListen.State(), TransferState::kFailed);
}

TEST(TovanTransferFlow, RefusedCommandAndFailedCompletion) {
    TransferFlow refused(TransferKind::kRetrieve, "missing", false);
    refused.Start();
    refused.OnActiveListening(true, DataAddress());
    refused.OnReply(R(200));
    EXPECT_EQ(refused.OnReply(R(550, "No such file")).kind, FlowStep::kFinished);
    EXPECT_EQ(refused.Message(), "RETR failed: 550 No such file");
    EXPECT_FALSE(refused.Aborted());

    TransferFlow broken(TransferKind::kRetrieve, "a", false);
    broken.Start();
    broken.OnActiveListening(true, DataAddress());
    broken.OnReply(R(200));
    broken.OnReply(R(150));
    broken.OnDataDone(false, "no data within 3 s");
    // Even a 226 does not make a broken data connection a success.
    broken.OnReply(R(226));
    EXPECT_EQ(broken.State(), TransferState::kFailed);
    EXPECT_EQ(broken.Message(), "Transfer failed: no data within 3 s");
}

TEST(TovanTransferFlow, AbortSendsAborAndReadsBothReplies) {
    TransferFlow flow(TransferKind::kRetrieve, "big", false);
    flow.Start();
    flow.OnActiveListening(true, DataAddress());
    flow.OnReply(R(200));
    flow.OnReply(R(150));
    FlowStep s = flow.OnAbort();
    EXPECT_EQ(s.command, "ABOR");
    EXPECT_EQ(flow.OnReply(R(426, "aborted")).kind, FlowStep::kReadReply);
    EXPECT_EQ(flow.OnReply(R(226, "ABOR ok")).kind, FlowStep::kFinished);
    EXPECT_TRUE(flow.Aborted());
    EXPECT_EQ(flow.State(), TransferState::kFailed);
    EXPECT_EQ(flow.Message(), "Transfer aborted: 226 ABOR ok");

    TransferFlow idle(TransferKind::kRetrieve, "big", false);
    idle.Start();
    EXPECT_EQ(idle.OnAbort().kind, FlowStep::kFinished);  // no data moving yet: nothing to abort
}

// RFC 959: a transfer that had completed when ABOR came still owes its 226
// first; ABOR's own reply follows and must not be left for the next command.
TEST(TovanTransferFlow, AbortAfterTheTransferCompletedReadsBothFinalReplies) {
    auto aborting = [](TransferFlow& flow, int preliminary) {
        flow.Start();
        flow.OnActiveListening(true, DataAddress());
        flow.OnReply(R(200));
        flow.OnReply(R(preliminary));
        EXPECT_EQ(flow.OnAbort().command, "ABOR");
    };
    TransferFlow flow(TransferKind::kRetrieve, "f", false);
    aborting(flow, 150);
    EXPECT_EQ(flow.OnReply(R(226, "Transfer complete.")).kind, FlowStep::kReadReply);
    EXPECT_EQ(flow.OnReply(R(225, "No transfer to abort.")).kind, FlowStep::kFinished);
    EXPECT_EQ(flow.Message(), "Transfer aborted: 225 No transfer to abort.");

    // The 226 arrived before ABOR went out and was dropped then.
    TransferFlow dropped(TransferKind::kRetrieve, "f", false);
    aborting(dropped, 150);
    dropped.OnStaleReplies(1);
    EXPECT_EQ(dropped.OnReply(R(225, "No transfer to abort.")).kind, FlowStep::kFinished);
    EXPECT_EQ(dropped.Message(), "Transfer aborted: 225 No transfer to abort.");

    // However many were dropped, ABOR's own reply is still read.
    TransferFlow many(TransferKind::kRetrieve, "f", false);
    aborting(many, 150);
    many.OnStaleReplies(5);
    EXPECT_EQ(many.OnReply(R(225)).kind, FlowStep::kFinished);

    // The server's 2xx stood in for the 1xx: only ABOR's reply is owed.
    TransferFlow early(TransferKind::kRetrieve, "f", false);
    aborting(early, 226);
    EXPECT_EQ(early.OnReply(R(226, "ABOR ok")).kind, FlowStep::kFinished);
    EXPECT_EQ(early.State(), TransferState::kFailed);
    EXPECT_TRUE(early.Aborted());
}

TEST(TovanTransferFlow, PreliminaryRepliesInARowAreBounded) {
    auto completing = [](TransferFlow& flow) {
        flow.Start();
        flow.OnActiveListening(true, DataAddress());
        flow.OnReply(R(200));
        flow.OnReply(R(150));
        EXPECT_EQ(flow.OnDataDone(true, "").kind, FlowStep::kReadReply);
    };
    TransferFlow patient(TransferKind::kRetrieve, "f", false);
    completing(patient);
    for (int i = 0; i < kMaxPreliminaryReplies; ++i) EXPECT_EQ(patient.OnReply(R(150)).kind, FlowStep::kReadReply);
    EXPECT_EQ(patient.OnReply(R(226)).kind, FlowStep::kFinished);
    EXPECT_EQ(patient.State(), TransferState::kDone);

    TransferFlow endless(TransferKind::kRetrieve, "f", false);
    completing(endless);
    FlowStep s;
    for (int i = 0; i <= kMaxPreliminaryReplies; ++i) s = endless.OnReply(R(150, "still"));
    EXPECT_EQ(s.kind, FlowStep::kFinished);
    EXPECT_EQ(endless.State(), TransferState::kFailed);
    EXPECT_EQ(endless.Message(), "Too many preliminary replies: 150 still");

    TransferFlow aborted(TransferKind::kRetrieve, "f", false);
    aborted.Start();
    aborted.OnActiveListening(true, DataAddress());
    aborted.OnReply(R(200));
    aborted.OnReply(R(150));
    aborted.OnAbort();
    for (int i = 0; i <= kMaxPreliminaryReplies; ++i) s = aborted.OnReply(R(150));
    EXPECT_EQ(s.kind, FlowStep::kFinished);
    EXPECT_EQ(aborted.State(), TransferState::kFailed);
}

TEST(TovanTransferFlow, StoreUniqueNameFromEitherReply) {
    TransferFlow flow(TransferKind::kStoreUnique, "", false);
    flow.Start();
    flow.OnActiveListening(true, DataAddress());
    EXPECT_EQ(flow.OnReply(R(200)).command, "STOU");
    flow.OnReply(R(125, "FILE: u.txt.3"));
    flow.OnDataDone(true, "");
    flow.OnReply(R(226));
    EXPECT_EQ(flow.StoredName(), "u.txt.3");

    TransferFlow late(TransferKind::kStoreUnique, "u", false);
    late.Start();
    late.OnActiveListening(true, DataAddress());
    EXPECT_EQ(late.OnReply(R(200)).command, "STOU u");
    late.OnReply(R(150, "Opening data connection"));
    late.OnDataDone(true, "");
    late.OnReply(R(250, "Transfer complete (unique file name \"u.1\")"));
    EXPECT_EQ(late.StoredName(), "u.1");
}

TEST(TovanTransferFlow, CompletionWithoutPreliminaryReply) {
    TransferFlow flow(TransferKind::kNameList, "d", false);
    flow.Start();
    flow.OnActiveListening(true, DataAddress());
    flow.OnReply(R(200));
    EXPECT_EQ(flow.OnReply(R(226, "done")).kind, FlowStep::kMoveData);
    EXPECT_EQ(flow.OnDataDone(true, "").kind, FlowStep::kFinished);
    EXPECT_EQ(flow.State(), TransferState::kDone);
}

}  // namespace
