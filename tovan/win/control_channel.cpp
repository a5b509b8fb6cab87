#include "win/control_channel.h"

#include "trace/trace.h"

#include "protocol/reply_collector.h"

#include "win/net_wait.h"
#include "win/settings.h"

namespace tovan {

namespace {

// Each line of a reply as the trace shows it.
void TraceReply(const std::string& text) {
    if (!zenk::trace::On(zenk::trace::kFtp)) return;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        zenk::trace::Received(zenk::trace::kFtp, std::string_view(text).substr(start, end - start));
        start = end + 2;
    }
}

}  // namespace

bool ControlChannel::Connect(const std::string& host, unsigned short port, std::string& error) {
    Close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (!ResolveHost(host, to.sin_addr, error)) return false;
    socket_ = NewStreamSocket(error);
    if (socket_ == INVALID_SOCKET) return false;
    if (!ConnectWithin(socket_, to, error)) {
        Close();
        return false;
    }
    return true;
}

void ControlChannel::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
    reader_.Clear();
}

void ControlChannel::Show(const std::string& prefix, const std::string& text) {
    if (!box_) return;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        box_->Append(prefix + text.substr(start, end - start));
        start = end + 2;
    }
}

void ControlChannel::Note(const std::string& text) { Show("* ", text); }

int ControlChannel::DropStaleReplies() {
    int finals = 0;
    std::size_t taken = 0;  // a server that never stops talking is left for the next read
    for (;;) {
        Reply stale;
        while (reader_.Next(stale)) {
            Show("< ", stale.text);
            if (!stale.Preliminary()) ++finals;
        }
        if (taken >= kMaxStaleBytes) return finals;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(socket_, &ready);
        timeval now{0, 0};
        if (select(0, &ready, nullptr, nullptr, &now) <= 0) return finals;
        char buffer[1024];
        int n = recv(socket_, buffer, sizeof buffer, 0);
        if (n <= 0) return finals;  // a closed connection shows on the next read
        reader_.Feed(buffer, static_cast<std::size_t>(n));
        taken += static_cast<std::size_t>(n);
    }
}

bool ControlChannel::Send(const std::string& command, std::string& error, int* droppedFinals) {
    if (!IsOpen()) {
        error = "Not connected";
        return false;
    }
    int dropped = DropStaleReplies();
    if (droppedFinals) *droppedFinals = dropped;
    Show("> ", command.compare(0, 5, "PASS ") == 0 ? std::string("PASS ****") : command);
    std::string line = command + "\r\n";
    zenk::trace::Sent(zenk::trace::kFtp, line.data(), line.size());
    if (!SendAll(socket_, line.data(), static_cast<int>(line.size()), nullptr, error)) {
        error = "Cannot send " + command.substr(0, command.find(' ')) + ": " + error;
        return false;
    }
    return true;
}

bool ControlChannel::Read(Reply& reply, std::string& error) {
    if (!IsOpen()) {
        error = "Not connected";
        return false;
    }
    // One deadline for the whole reply, however it trickles in.
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(NetworkTimeoutMs());
    for (;;) {
        if (reader_.Next(reply)) {
            Show("< ", reply.text);
            TraceReply(reply.text);
            return true;
        }
        DWORD spent = GetTickCount() - start;
        WaitResult waited = spent >= limit ? WaitResult::kTimeout : WaitSocketWithin(socket_, false, nullptr, limit - spent);
        if (waited == WaitResult::kTimeout) {
            error = "No reply from the server within " + std::to_string(NetworkTimeoutMs() / 1000) + " s";
            return false;
        }
        if (waited == WaitResult::kFailed) {
            error = "Connection lost: " + SocketErrorText(WSAGetLastError());
            return false;
        }
        char buffer[2048];
        int n = recv(socket_, buffer, sizeof buffer, 0);
        if (n == 0) {
            error = "Connection closed by the server";
            return false;
        }
        if (n == SOCKET_ERROR) {
            int code = WSAGetLastError();
            if (code == WSAEWOULDBLOCK) continue;
            error = "Connection lost: " + SocketErrorText(code);
            return false;
        }
        reader_.Feed(buffer, static_cast<std::size_t>(n));
    }
}

bool ControlChannel::Exchange(const std::string& command, Reply& reply, std::string& error) {
    if (!Send(command, error)) return false;
    ReplyCollector collector;
    for (;;) {
        Reply next;
        if (!Read(next, error)) return false;
        ReplyCollector::Status status = collector.Add(next);
        if (status == ReplyCollector::Status::kFinal) break;
        if (status == ReplyCollector::Status::kTooMany) {
            error = "No final reply after " + std::to_string(kMaxPreliminaryReplies) + " preliminary ones: " +
                    next.lastLine;
            return false;
        }
    }
    reply = collector.Answer();
    return true;
}

in_addr ControlChannel::PeerAddress() const {
    sockaddr_in a{};
    int len = sizeof a;
    getpeername(socket_, reinterpret_cast<sockaddr*>(&a), &len);
    return a.sin_addr;
}

in_addr ControlChannel::LocalAddress() const {
    sockaddr_in a{};
    int len = sizeof a;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &len);
    return a.sin_addr;
}

}  // namespace tovan
