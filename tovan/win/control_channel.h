// ControlChannel: the control connection of one FTP session: commands out,
// replies in, each shown in the status box when that is on.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>

#include "protocol/reply_reader.h"
#include "win/status_box.h"

namespace tovan {

class ControlChannel {
public:
    ControlChannel() = default;
    ~ControlChannel() { Close(); }
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // Resolves host and connects within the network timeout.
    bool Connect(const std::string& host, unsigned short port, std::string& error);
    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    void Close();

    // Sends one command line (CR LF added). Replies that arrived unasked
    // since the last exchange (say, the 225 to an ABOR that came late) are
    // read and dropped first, so that they are not taken for its answer.
    bool Send(const std::string& command, std::string& error);
    // Reads the next reply, waiting at most the network timeout.
    bool Read(Reply& reply, std::string& error);
    // Send, then read replies until one that is not preliminary (1xx);
    // every reply's text is collected in reply.text.
    bool Exchange(const std::string& command, Reply& reply, std::string& error);

    // The addresses of the two ends of the control connection.
    in_addr PeerAddress() const;
    in_addr LocalAddress() const;

    // Where the exchange goes (null: nowhere); and a note of our own.
    void ShowIn(StatusBox* box) { box_ = box; }
    void Note(const std::string& text);

private:
    void DropStaleReplies();
    void Show(const std::string& prefix, const std::string& text);

    SOCKET socket_ = INVALID_SOCKET;
    ReplyReader reader_;
    StatusBox* box_ = nullptr;
};

}  // namespace tovan
