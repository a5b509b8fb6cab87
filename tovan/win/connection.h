// Connection: one FTP session behind one handle.
//
// Each public call runs to its end before it returns (blocking), and leaves
// an Outcome: the call's result code (tovan32.h) and the message that
// ftp_lasterror() then reports. The decisions live in the protocol flows;
// this object carries their steps out on the sockets and files.
#pragma once
#include <windows.h>

#include <string>

#include "protocol/transfer_flow.h"
#include "win/control_channel.h"
#include "win/status_box.h"

namespace tovan {

struct Outcome {
    int result = 0;       // 0 or a TOVAN_ERR_ code; ftp_login's handle is added by the caller
    std::string message;  // what ftp_lasterror reports
};

inline Outcome Result(int result, std::string message) { return Outcome{result, std::move(message)}; }

// Receives the bytes of a download or listing.
class DataSink {
public:
    virtual ~DataSink() = default;
    // Called once the server has accepted the command, before any data.
    virtual bool Begin(std::string& error) = 0;
    [[nodiscard]] virtual bool Write(const char* data, std::size_t size, std::string& error) = 0;
};

// How the data of one transfer went.
enum class Moved { kDone, kBroken, kAborted };

class DataChannel;
class LocalFile;

class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // connection.cpp: the session and its options.
    Outcome Login(const std::string& hostText, const std::string& user, const std::string& password,
                  const std::string& account);
    Outcome Relogin(const std::string& user, const std::string& password, const std::string& account);
    Outcome GateLogin(const std::string& host, const std::string& user, const std::string& password,
                      const std::string& account);
    Outcome Quit();
    Outcome ChangeDirectory(const std::string& directory);
    // The whole reply text goes to replyText.
    Outcome Quote(const std::string& command, std::string& replyText);
    Outcome SetType(bool binary);
    Outcome ToggleLocalUnique();
    Outcome ToggleStoreUnique();
    Outcome SetStatusBox(bool on);
    // Between calls: sends ABOR.
    Outcome Abort();
    // During a call of this connection (from a message dispatched while it
    // waits): asks the running transfer to stop.
    void RequestAbort() { InterlockedExchange(&abortRequested_, 1); }

    // connection_transfer.cpp: one file or one listing.
    Outcome Put(const std::string& localFile, const std::string& remoteFile);
    Outcome Get(const std::string& remoteFile, const std::string& localFile);
    Outcome List(const std::string& directory, const std::string& localFile, bool longForm);

    // connection_multi.cpp: wildcard transfers.
    Outcome MultiPut(const std::string& localPattern);
    Outcome MultiGet(const std::string& remotePattern);

    // Marks the connection in use for the length of one call; false if it
    // is already (a call made from inside another one).
    bool Enter() { return InterlockedCompareExchange(&busy_, 1, 0) == 0; }
    void Leave() { InterlockedExchange(&busy_, 0); }
    // Clears an abort request left from an earlier call.
    void ClearAbort() { InterlockedExchange(&abortRequested_, 0); }

private:
    Outcome RunLogin(const std::string& user, const std::string& password, const std::string& account,
                     bool expectGreeting, const std::string& successText);
    // The control connection broke: close it and say so.
    Outcome Lost(const std::string& error);
    // Fails unless the control connection is up.
    bool CheckOpen(Outcome& out);
    // Sends command and reads its final reply; on a broken connection out
    // holds the failure and the result is false.
    bool Exchange(const std::string& command, Reply& reply, Outcome& out);

    // connection_transfer.cpp
    // Runs one transfer; data comes from source (uploads) or goes to sink.
    Outcome RunTransfer(TransferFlow& flow, LocalFile* source, DataSink* sink, long long& bytes);
    // The kMoveData step: accept (active mode), then upload or download.
    // Network trouble goes to error, local file trouble to localError.
    Moved MoveData(DataChannel& data, LocalFile* source, DataSink* sink, long long& bytes, std::string& error,
                   std::string& localError);
    Outcome StoreOne(const std::string& localFile, const std::string& remoteFile);
    Outcome RetrieveOne(const std::string& remoteFile, const std::string& localFile);
    // NLST of a folder into names (for mget).
    Outcome NameList(const std::string& directory, std::string& listing);

    ControlChannel control_;
    StatusBox box_;
    std::string host_;                // as given to Login, for messages
    bool binary_ = true;              // TYPE I (true) or TYPE A
    bool localUnique_ = false;        // get never overwrites a local file
    bool storeUnique_ = false;        // put uses STOU
    bool passiveWorks_ = true;        // false once PASV failed: go active at once
    volatile LONG abortRequested_ = 0;  // set by RequestAbort
    volatile LONG busy_ = 0;            // a call is running
};

}  // namespace tovan
