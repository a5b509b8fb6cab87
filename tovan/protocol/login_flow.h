// LoginFlow: the USER / PASS / ACCT exchange of RFC 959, 5.4.
//
// The same flow serves a first login (which starts by reading the
// greeting), a re-login on an open connection, and a gateway login, whose
// user is "user@host" for the gateway to pass on.
#pragma once
#include <string>

#include "protocol/flow_step.h"
#include "protocol/reply_reader.h"

namespace tovan {

enum class LoginState {
    kAwaitGreeting,  // connected, waiting for 220 (after at most 16 "120")
    kAwaitUser,      // USER sent
    kAwaitPass,      // PASS sent
    kAwaitAcct,      // ACCT sent
    kLoggedIn,       // 230 or 202 received: done
    kFailed          // refused; Message() says why
};

const char* LoginStateName(LoginState state);

class LoginFlow {
public:
    LoginFlow(std::string user, std::string password, std::string account);

    // The first step: read the greeting, or send USER at once.
    FlowStep Start(bool expectGreeting);
    // The next step after a reply.
    FlowStep OnReply(const Reply& reply);

    LoginState State() const { return state_; }
    // Why the login failed (empty while it has not).
    const std::string& Message() const { return message_; }

private:
    // The only way to change state; sends command when it is not empty.
    FlowStep EnterState(LoginState next, const std::string& command);
    FlowStep Fail(const std::string& why, const Reply& reply);
    FlowStep OnGreeting(const Reply& reply);
    FlowStep OnUserReply(const Reply& reply);
    FlowStep OnPassReply(const Reply& reply);
    FlowStep OnAcctReply(const Reply& reply);
    // 332 asks for an account: send ACCT, or fail without one.
    FlowStep SendAccount(const Reply& reply);

    std::string user_, password_, account_;
    LoginState state_ = LoginState::kAwaitGreeting;
    std::string message_;
    int notReady_ = 0;  // 120 replies before the greeting
};

}  // namespace tovan
