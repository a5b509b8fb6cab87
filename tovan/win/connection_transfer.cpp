// Connection: transfers of one file or one listing over a data connection.
#include <winsock2.h>

#include "protocol/ascii_coder.h"
#include "protocol/names.h"
#include "tovan32.h"
#include "win/connection.h"
#include "win/data_channel.h"
#include "win/local_file.h"
#include "win/net_wait.h"
#include "win/settings.h"

namespace tovan {

namespace {

constexpr int kChunk = 16384;

// Writes a download into a local file, created only once the server has
// accepted the command; deleted again unless Keep() is called.
class FileSink : public DataSink {
public:
    explicit FileSink(std::string path) : path_(std::move(path)) {}
    ~FileSink() override {
        if (!kept_) file_.Discard();
    }
    bool Begin(std::string& error) override { return file_.Create(path_, error); }
    bool Write(const char* data, std::size_t size, std::string& error) override { return file_.Write(data, size, error); }
    void Keep() {
        kept_ = true;
        file_.Close();
    }

private:
    std::string path_;
    LocalFile file_;
    bool kept_ = false;
};

// Collects a name listing in memory, up to a bound.
class TextSink : public DataSink {
public:
    explicit TextSink(std::string& text) : text_(text) {}
    bool Begin(std::string&) override { return true; }
    bool Write(const char* data, std::size_t size, std::string& error) override {
        if (text_.size() + size > kMaxListing) {
            error = "listing longer than " + std::to_string(kMaxListing) + " bytes";
            return false;
        }
        text_.append(data, size);
        return true;
    }
    static constexpr std::size_t kMaxListing = 8u << 20;

private:
    std::string& text_;
};

std::string Within() { return " within " + std::to_string(NetworkTimeoutMs() / 1000) + " s"; }

// Sends the local file over the data connection, as ASCII when asked.
Moved Upload(SOCKET s, LocalFile& source, bool ascii, const volatile LONG* abortFlag, long long& bytes,
             std::string& error, std::string& localError) {
    char buffer[kChunk];
    AsciiEncoder encoder;
    std::string encoded;
    for (;;) {
        int n = source.Read(buffer, sizeof buffer, localError);
        if (n < 0) return Moved::kBroken;
        if (n == 0) return Moved::kDone;
        const char* data = buffer;
        int size = n;
        if (ascii) {
            encoded.clear();
            encoder.Encode(buffer, static_cast<std::size_t>(n), encoded);
            data = encoded.data();
            size = static_cast<int>(encoded.size());
        }
        if (!SendAll(s, data, size, abortFlag, error)) return *abortFlag ? Moved::kAborted : Moved::kBroken;
        bytes += n;
    }
}

// Receives until the server closes the data connection.
Moved Download(SOCKET s, DataSink& sink, const volatile LONG* abortFlag, long long& bytes, std::string& error,
               std::string& localError) {
    char buffer[kChunk];
    for (;;) {
        WaitResult waited = WaitSocket(s, false, abortFlag);
        if (waited == WaitResult::kAborted) return Moved::kAborted;
        if (waited == WaitResult::kTimeout) {
            error = "no data" + Within();
            return Moved::kBroken;
        }
        if (waited == WaitResult::kFailed) {
            error = SocketErrorText(WSAGetLastError());
            return Moved::kBroken;
        }
        int n = recv(s, buffer, sizeof buffer, 0);
        if (n == 0) return Moved::kDone;
        if (n == SOCKET_ERROR) {
            int code = WSAGetLastError();
            if (code == WSAEWOULDBLOCK) continue;
            error = SocketErrorText(code);
            return Moved::kBroken;
        }
        if (!sink.Write(buffer, static_cast<std::size_t>(n), localError)) return Moved::kBroken;
        bytes += n;
    }
}

}  // namespace

Moved Connection::MoveData(DataChannel& data, LocalFile* source, DataSink* sink, long long& bytes, std::string& error,
                           std::string& localError) {
    Moved moved = Moved::kDone;
    if (!data.Connected()) {
        DataChannel::Accepted accepted = data.Accept(control_.PeerAddress(), &abortRequested_, error);
        if (accepted == DataChannel::Accepted::kAborted) moved = Moved::kAborted;
        else if (accepted != DataChannel::Accepted::kYes) moved = Moved::kBroken;
    }
    // Nothing local to write to: stop the transfer the server began.
    if (moved == Moved::kDone && sink && !sink->Begin(localError)) moved = Moved::kAborted;
    if (moved == Moved::kDone)
        moved = source ? Upload(data.Socket(), *source, !binary_, &abortRequested_, bytes, error, localError)
                       : Download(data.Socket(), *sink, &abortRequested_, bytes, error, localError);
    if (moved == Moved::kDone) data.Finish();
    else data.Reset();
    return moved;
}

Outcome Connection::RunTransfer(TransferFlow& flow, LocalFile* source, DataSink* sink, long long& bytes) {
    DataChannel data;
    FlowStep step = flow.Start();
    std::string error, localError;
    bool networkBroken = false;  // the data connection failed, broke or timed out
    bytes = 0;
    while (step.kind != FlowStep::kFinished) {
        switch (step.kind) {
        case FlowStep::kSend: {
            int dropped = 0;
            if (!control_.Send(step.command, error, &dropped)) return Lost(error);
            flow.OnStaleReplies(dropped);
        }
            [[fallthrough]];
        case FlowStep::kReadReply: {
            Reply reply;
            if (!control_.Read(reply, error)) return Lost(error);
            step = flow.OnReply(reply);
            break;
        }
        case FlowStep::kOpenPassive: {
            std::string why;
            bool ok = data.ConnectTo(control_.PeerAddress(), step.address.port, why);
            if (!ok) control_.Note(why + "; trying active mode");
            step = flow.OnPassiveOpened(ok);
            break;
        }
        case FlowStep::kOpenActive: {
            DataAddress where;
            bool ok = data.Listen(control_.LocalAddress(), where, error);
            if (!ok) {
                control_.Note(error);
                networkBroken = true;  // our own socket failed, not the server
            }
            step = flow.OnActiveListening(ok, where);
            break;
        }
        case FlowStep::kMoveData: {
            Moved moved = MoveData(data, source, sink, bytes, error, localError);
            if (moved == Moved::kBroken && localError.empty()) networkBroken = true;
            step = moved == Moved::kAborted ? flow.OnAbort() : flow.OnDataDone(moved == Moved::kDone, error);
            break;
        }
        case FlowStep::kFinished: break;
        }
    }
    if (flow.FellBackToActive()) passiveWorks_ = false;
    if (flow.State() == TransferState::kDone) return Result(TOVAN_OK, flow.CompletionText());
    if (!localError.empty()) return Result(TOVAN_ERR_LOCALFILE, localError);
    if (flow.Aborted()) return Result(TOVAN_ERR_ABORTED, flow.Message());
    return Result(networkBroken ? TOVAN_ERR_NETWORK : TOVAN_ERR_REFUSED, flow.Message());
}

Outcome Connection::StoreOne(const std::string& localFile, const std::string& remoteFile) {
    LocalFile source;
    std::string error;
    if (!source.OpenRead(localFile, error)) return Result(TOVAN_ERR_LOCALFILE, error);
    TransferFlow flow(storeUnique_ ? TransferKind::kStoreUnique : TransferKind::kStore, remoteFile, passiveWorks_);
    long long bytes = 0;
    Outcome out = RunTransfer(flow, &source, nullptr, bytes);
    if (out.result != TOVAN_OK) return out;
    std::string stored = remoteFile;
    if (storeUnique_) stored = flow.StoredName().empty() ? std::string("a name the server chose") : flow.StoredName();
    return Result(TOVAN_OK, "Sent " + localFile + " as " + stored + " (" + std::to_string(bytes) + " bytes, " +
                                (binary_ ? "binary" : "ASCII") + ")");
}

Outcome Connection::RetrieveOne(const std::string& remoteFile, const std::string& localFile) {
    std::string target = localFile;
    if (localUnique_) {
        target = LocalUniqueName(localFile, [](const std::string& p) { return LocalFile::Exists(p); });
        if (target.empty())
            return Result(TOVAN_ERR_LIMIT, "Local unique: " + localFile + ".1 to ." + std::to_string(kMaxUniqueSuffix) +
                                               " are all taken");
    }
    FileSink sink(target);
    TransferFlow flow(TransferKind::kRetrieve, remoteFile, passiveWorks_);
    long long bytes = 0;
    Outcome out = RunTransfer(flow, nullptr, &sink, bytes);
    if (out.result != TOVAN_OK) return out;
    sink.Keep();
    return Result(TOVAN_OK, "Received " + remoteFile + " into " + target + " (" + std::to_string(bytes) + " bytes, " +
                                (binary_ ? "binary" : "ASCII") + ")");
}

Outcome Connection::Put(const std::string& localFile, const std::string& remoteFile) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    if (localFile.empty()) return Result(TOVAN_ERR_ARGUMENT, "Give the local file to send");
    std::string remote = remoteFile;
    if (remote.empty() && !storeUnique_) {
        std::string folder;
        SplitLocalPath(localFile, folder, remote);
    }
    if (!IsSafeCommandText(remote)) return Result(TOVAN_ERR_ARGUMENT, "The remote name may not hold line breaks");
    return StoreOne(localFile, remote);
}

Outcome Connection::Get(const std::string& remoteFile, const std::string& localFile) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    if (remoteFile.empty() || !IsSafeCommandText(remoteFile))
        return Result(TOVAN_ERR_ARGUMENT, "Give the remote file to get");
    std::string local = localFile.empty() ? RemoteLeaf(remoteFile) : localFile;
    if (localFile.empty() && !IsSafeLocalName(local))
        return Result(TOVAN_ERR_ARGUMENT, "Give a local file name for " + remoteFile);
    return RetrieveOne(remoteFile, local);
}

Outcome Connection::List(const std::string& directory, const std::string& localFile, bool longForm) {
    Outcome out;
    if (!CheckOpen(out)) return out;
    if (localFile.empty()) return Result(TOVAN_ERR_ARGUMENT, "Give the local file for the listing");
    if (!IsSafeCommandText(directory)) return Result(TOVAN_ERR_ARGUMENT, "The directory may not hold line breaks");
    FileSink sink(localFile);
    TransferFlow flow(longForm ? TransferKind::kList : TransferKind::kNameList, directory, passiveWorks_);
    long long bytes = 0;
    out = RunTransfer(flow, nullptr, &sink, bytes);
    if (out.result != TOVAN_OK) return out;
    sink.Keep();
    std::string what = directory.empty() ? std::string("current directory") : directory;
    return Result(TOVAN_OK, std::string(longForm ? "Directory" : "Name list") + " of " + what + " written to " +
                                localFile + " (" + std::to_string(bytes) + " bytes)");
}

Outcome Connection::NameList(const std::string& directory, std::string& listing) {
    TextSink sink(listing);
    TransferFlow flow(TransferKind::kNameList, directory, passiveWorks_);
    long long bytes = 0;
    return RunTransfer(flow, nullptr, &sink, bytes);
}

}  // namespace tovan
