// Connection: login, re-login, gateway login, quit, CWD, quote, options.
#include "win/connection.h"

#include "protocol/ascii_coder.h"
#include "protocol/login_flow.h"
#include "protocol/names.h"
#include "tovan32.h"

namespace tovan {

Outcome Connection::Lost(const std::string& error) {
    control_.Note(error);
    control_.Close();
    return Result(TOVAN_ERR_NETWORK, error);
}

bool Connection::CheckOpen(Outcome& out) {
    if (control_.IsOpen()) return true;
    out = Result(TOVAN_ERR_NETWORK, "Not connected: the connection to " + host_ + " was lost; log in again");
    return false;
}

bool Connection::Exchange(const std::string& command, Reply& reply, Outcome& out) {
    if (!CheckOpen(out)) return false;
    std::string error;
    if (control_.Exchange(command, reply, error)) return true;
    out = Lost(error);
    return false;
}

Outcome Connection::RunLogin(const std::string& user, const std::string& password, const std::string& account,
                             bool expectGreeting, const std::string& successText) {
    if (!IsSafeCommandText(user) || !IsSafeCommandText(password) || !IsSafeCommandText(account))
        return Result(TOVAN_ERR_ARGUMENT, "User, password and account may not hold line breaks");
    LoginFlow flow(user, password, account);
    FlowStep step = flow.Start(expectGreeting);
    std::string error;
    while (step.kind != FlowStep::kFinished) {
        if (step.kind == FlowStep::kSend && !control_.Send(step.command, error)) return Lost(error);
        Reply reply;
        if (!control_.Read(reply, error)) return Lost(error);
        step = flow.OnReply(reply);
    }
    if (flow.State() != LoginState::kLoggedIn) return Result(TOVAN_ERR_REFUSED, flow.Message());
    return Result(TOVAN_OK, successText);
}

Outcome Connection::Login(const std::string& hostText, const std::string& user, const std::string& password,
                          const std::string& account) {
    std::string host;
    unsigned short port = kFtpPort;
    if (!ParseHostAndPort(hostText, host, port))
        return Result(TOVAN_ERR_ARGUMENT, "Bad host \"" + hostText + "\": give a host name or address, optionally :port");
    host_ = hostText;
    control_.ShowIn(&box_);
    std::string error;
    if (!control_.Connect(host, port, error)) return Result(TOVAN_ERR_CONNECT, error);
    Outcome out = RunLogin(user, password, account, true, "Logged in to " + hostText + " as " + user);
    if (out.result != TOVAN_OK) {
        control_.Close();
        return out;
    }
    Reply reply;
    Outcome typeOut;
    if (!Exchange("TYPE I", reply, typeOut)) return typeOut;
    binary_ = reply.Completed();  // a server without TYPE I stays in its default (ASCII)
    return out;
}

Outcome Connection::Relogin(const std::string& user, const std::string& password, const std::string& account) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    return RunLogin(user, password, account, false, "User " + user + " logged in to " + host_);
}

Outcome Connection::GateLogin(const std::string& host, const std::string& user, const std::string& password,
                              const std::string& account) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    if (host.empty()) return Result(TOVAN_ERR_ARGUMENT, "Gateway login needs the target host");
    out = RunLogin(user + "@" + host, password, account, false,
                   "Logged in to " + host + " as " + user + " through " + host_);
    if (out.result == TOVAN_OK) host_ = host + " (through " + host_ + ")";
    return out;
}

Outcome Connection::Quit() {
    box_.Hide();
    Outcome out;
    if (!CheckOpen(out)) return out;
    Reply reply;
    if (!Exchange("QUIT", reply, out)) return out;
    control_.Close();
    if (!reply.Completed()) return Result(TOVAN_ERR_REFUSED, "QUIT refused: " + reply.lastLine + "; disconnected anyway");
    return Result(TOVAN_OK, "Disconnected from " + host_);
}

Outcome Connection::ChangeDirectory(const std::string& directory) {
    if (directory.empty() || !IsSafeCommandText(directory))
        return Result(TOVAN_ERR_ARGUMENT, "Give the remote directory to change to");
    Reply reply;
    Outcome out;
    if (!Exchange("CWD " + directory, reply, out)) return out;
    if (!reply.Completed()) return Result(TOVAN_ERR_REFUSED, "CWD " + directory + " failed: " + reply.lastLine);
    return Result(TOVAN_OK, "Directory changed to " + directory + ": " + reply.lastLine);
}

Outcome Connection::Quote(const std::string& command, std::string& replyText) {
    replyText.clear();
    if (command.empty() || !IsSafeCommandText(command))
        return Result(TOVAN_ERR_ARGUMENT, "Give one command line without line breaks");
    Reply reply;
    Outcome out;
    if (!Exchange(command, reply, out)) return out;
    replyText = reply.text;
    return Result(reply.code, reply.lastLine);
}

Outcome Connection::SetType(bool binary) {
    Reply reply;
    Outcome out;
    if (!Exchange(binary ? "TYPE I" : "TYPE A", reply, out)) return out;
    const char* name = binary ? "binary" : "ASCII";
    if (!reply.Completed()) return Result(TOVAN_ERR_REFUSED, std::string("Type ") + name + " refused: " + reply.lastLine);
    binary_ = binary;
    return Result(TOVAN_OK, std::string("Transfer type set to ") + name + ": " + reply.lastLine);
}

Outcome Connection::ToggleLocalUnique() {
    localUnique_ = !localUnique_;
    return Result(TOVAN_OK, localUnique_ ? "Local unique on: get never overwrites a local file"
                                         : "Local unique off: get replaces local files");
}

Outcome Connection::ToggleStoreUnique() {
    storeUnique_ = !storeUnique_;
    return Result(TOVAN_OK, storeUnique_ ? "Store unique on: put stores with STOU under a name the server picks"
                                         : "Store unique off: put stores with STOR");
}

Outcome Connection::SetStatusBox(bool on) {
    if (!on) {
        box_.Hide();
        return Result(TOVAN_OK, "Status box off");
    }
    if (!box_.Show("FTP status - " + host_)) return Result(TOVAN_ERR_INTERNAL, "Cannot open the status box window");
    return Result(TOVAN_OK, "Status box on");
}

Outcome Connection::Abort() {
    Reply reply;
    Outcome out;
    if (!Exchange("ABOR", reply, out)) return out;
    if (!reply.Completed()) return Result(TOVAN_ERR_REFUSED, "ABOR refused: " + reply.lastLine);
    return Result(TOVAN_OK, "ABOR: " + reply.lastLine);
}

}  // namespace tovan
