#include "protocol/login_flow.h"

#include "trace/trace.h"

namespace tovan {

const char* LoginStateName(LoginState state) {
    switch (state) {
    case LoginState::kAwaitGreeting: return "AwaitGreeting";
    case LoginState::kAwaitUser: return "AwaitUser";
    case LoginState::kAwaitPass: return "AwaitPass";
    case LoginState::kAwaitAcct: return "AwaitAcct";
    case LoginState::kLoggedIn: return "LoggedIn";
    case LoginState::kFailed: return "Failed";
    }
    return "?";
}

LoginFlow::LoginFlow(std::string user, std::string password, std::string account)
    : user_(std::move(user)), password_(std::move(password)), account_(std::move(account)) {}

FlowStep LoginFlow::EnterState(LoginState next, const std::string& command) {
    zenk::trace::State(zenk::trace::kFtp, LoginStateName(state_), LoginStateName(next));
    state_ = next;
    if (next == LoginState::kLoggedIn || next == LoginState::kFailed) return FlowStep::Just(FlowStep::kFinished);
    if (command.empty()) return FlowStep::Just(FlowStep::kReadReply);
    return FlowStep::Send(command);
}

FlowStep LoginFlow::Fail(const std::string& why, const Reply& reply) {
    message_ = why + reply.lastLine;
    return EnterState(LoginState::kFailed, std::string());
}

FlowStep LoginFlow::Start(bool expectGreeting) {
    message_.clear();
    notReady_ = 0;
    if (expectGreeting) return EnterState(LoginState::kAwaitGreeting, std::string());
    return EnterState(LoginState::kAwaitUser, "USER " + user_);
}

FlowStep LoginFlow::OnReply(const Reply& reply) {
    switch (state_) {
    case LoginState::kAwaitGreeting: return OnGreeting(reply);
    case LoginState::kAwaitUser: return OnUserReply(reply);
    case LoginState::kAwaitPass: return OnPassReply(reply);
    case LoginState::kAwaitAcct: return OnAcctReply(reply);
    case LoginState::kLoggedIn:
    case LoginState::kFailed: break;
    }
    return FlowStep::Just(FlowStep::kFinished);
}

FlowStep LoginFlow::OnGreeting(const Reply& reply) {
    if (reply.code == 120) {  // "ready in n minutes": the 220 is still to come, but not forever
        if (++notReady_ > kMaxPreliminaryReplies) return Fail("Server not ready: ", reply);
        return EnterState(LoginState::kAwaitGreeting, std::string());
    }
    if (reply.code == 220) return EnterState(LoginState::kAwaitUser, "USER " + user_);
    return Fail("Server refused the connection: ", reply);
}

FlowStep LoginFlow::OnUserReply(const Reply& reply) {
    if (reply.code == 230) return EnterState(LoginState::kLoggedIn, std::string());
    if (reply.code == 331) return EnterState(LoginState::kAwaitPass, "PASS " + password_);
    if (reply.code == 332) return SendAccount(reply);
    return Fail("Login failed: ", reply);
}

FlowStep LoginFlow::OnPassReply(const Reply& reply) {
    if (reply.code == 230 || reply.code == 202) return EnterState(LoginState::kLoggedIn, std::string());
    if (reply.code == 332) return SendAccount(reply);
    return Fail("Login failed: ", reply);
}

FlowStep LoginFlow::OnAcctReply(const Reply& reply) {
    if (reply.code == 230 || reply.code == 202) return EnterState(LoginState::kLoggedIn, std::string());
    return Fail("Account refused: ", reply);
}

FlowStep LoginFlow::SendAccount(const Reply& reply) {
    if (account_.empty()) return Fail("Login needs an account: ", reply);
    return EnterState(LoginState::kAwaitAcct, "ACCT " + account_);
}

}  // namespace tovan
