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
    // read and dropped first, so that they are not taken for its answer;
    // droppedFinals (when given) gets how many of them were final (not 1xx).
    bool Send(const std::string& command, std::string& error, int* droppedFinals = nullptr);
    // Reads the next reply, waiting at most the network timeout for all of it.
    bool Read(Reply& reply, std::string& error);
    // Send, then read replies until one that is not preliminary (1xx);
    // every reply's text is collected in reply.text (up to a bound). More
    // than kMaxPreliminaryReplies 1xx replies in a row fail the exchange.
    bool Exchange(const std::string& command, Reply& reply, std::string& error);

    // The addresses of the two ends of the control connection.
    in_addr PeerAddress() const;
    in_addr LocalAddress() const;

    // Where the exchange goes (null: nowhere); and a note of our own.
    void ShowIn(StatusBox* box) { box_ = box; }
    void Note(const std::string& text);

private:
    // Most bytes one Send reads and drops before its command goes out.
    static constexpr std::size_t kMaxStaleBytes = 4 * ReplyReader::kMaxReplyText;
    // Returns how many final replies were dropped.
    int DropStaleReplies();
    void Show(const std::string& prefix, const std::string& text);

    SOCKET socket_ = INVALID_SOCKET;
    ReplyReader reader_;
    StatusBox* box_ = nullptr;
};

}  // namespace tovan
