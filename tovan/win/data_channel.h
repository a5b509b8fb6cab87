// DataChannel: the data connection of one transfer, passive (we connect)
// or active (we listen on the control connection's local address and the
// server connects). Every wait is bounded by the network timeout and ends
// early when the abort flag is raised.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>

#include "protocol/data_address.h"

namespace tovan {

class DataChannel {
public:
    DataChannel() = default;
    ~DataChannel() { Close(); }
    DataChannel(const DataChannel&) = delete;
    DataChannel& operator=(const DataChannel&) = delete;

    // Passive: connects to host:port.
    bool ConnectTo(in_addr host, unsigned short port, std::string& error);
    // Active: listens on local (any free port) and tells where.
    bool Listen(in_addr local, DataAddress& where, std::string& error);
    // Active: takes the server's connection once it comes. A connection
    // from any other address than server's is refused: only the server we
    // sent PORT to may deliver or take the data.
    enum class Accepted { kYes, kTimeout, kFailed, kAborted };
    Accepted Accept(in_addr server, const volatile LONG* abortFlag, std::string& error);

    bool Connected() const { return data_ != INVALID_SOCKET; }
    SOCKET Socket() const { return data_; }
    // Ends our sending side cleanly (the end of an upload), then closes.
    void Finish();
    // Closes with a reset, so the server sees a broken transfer, not its end.
    void Reset();
    void Close();

private:
    SOCKET listen_ = INVALID_SOCKET;  // active mode's listening socket
    SOCKET data_ = INVALID_SOCKET;    // the data connection
};

}  // namespace tovan
