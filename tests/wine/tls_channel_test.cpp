// The TLS channel driven over blocking WinSock connections to the servers
// of tests/peers/tls_peers.py: handshake and trust decisions, data both
// ways, records split across receives, and the peer's close_notify.
#include <winsock2.h>
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <ostream>
#include <string>
#include "tls/tls_channel.h"

using zenk::tls::TlsChannel;
using zenk::tls::TlsStatus;

namespace zenk::tls {
void PrintTo(TlsStatus status, std::ostream* os) { *os << TlsStatusText(status); }
}  // namespace zenk::tls

namespace {

constexpr u_short kEchoPort = 47501, kDripPort = 47502, kOldPort = 47503, kPlainPort = 47504,
                  kCutPort = 47505;
constexpr std::size_t kDripBytes = 200000;  // tls_peers.DRIP_BYTES
constexpr DWORD kReceiveTimeoutMs = 10000;  // no test may hang on a silent server

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

std::string PeerFile(const char* name) {
    const char* folder = std::getenv("ZENK_TLS_FILES");
    return folder ? std::string(folder) + "\\" + name : std::string();
}

class Connection {
public:
    explicit Connection(u_short port) {
        const char* host = std::getenv("ZENK_TLS_PEER");
        sock_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (!host || sock_ == INVALID_SOCKET) return;
        DWORD timeout = kReceiveTimeoutMs;
        setsockopt(sock_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = inet_addr(host);
        connected_ = connect(sock_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    }
    ~Connection() { if (sock_ != INVALID_SOCKET) closesocket(sock_); }
    bool Connected() const { return connected_; }

    bool SendAll(std::string& bytes) {
        std::size_t at = 0;
        while (at < bytes.size()) {
            int n = send(sock_, bytes.data() + at, static_cast<int>(bytes.size() - at), 0);
            if (n <= 0) return false;
            at += static_cast<std::size_t>(n);
        }
        bytes.clear();
        return true;
    }
    // Bytes received, 0 at the peer's close, -1 on error or timeout.
    int Receive(char* buffer, int size) { return recv(sock_, buffer, size, 0); }

private:
    SOCKET sock_ = INVALID_SOCKET;
    bool connected_ = false;
};

// Runs the handshake to its end; plain collects data that came with it.
TlsStatus Handshake(Connection& conn, TlsChannel& tls, const std::string& host, const std::string& ca,
                    std::string& plain) {
    std::string out;
    TlsStatus status = tls.Start(host, ca, out);
    char buffer[4096];
    while (status == TlsStatus::kOk && tls.CurrentState() == TlsChannel::State::kHandshaking) {
        if (!conn.SendAll(out)) break;
        int n = conn.Receive(buffer, sizeof buffer);
        if (n <= 0) break;  // the server gave up on us; status says how far we got
        status = tls.Receive(buffer, static_cast<std::size_t>(n), out, plain);
    }
    conn.SendAll(out);  // an alert, when the channel refused the server
    return status;
}

class TlsChannelTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    static void TearDownTestSuite() { WSACleanup(); }
    void SetUp() override {
        ASSERT_NE(std::getenv("ZENK_TLS_PEER"), nullptr) << "run through tests/peers/tls_peers.py";
    }
};

TEST_F(TlsChannelTest, TrustDecisions) {
    struct Case {
        const char* name;
        u_short port;
        const char* host;
        std::string ca;
        TlsStatus want;
        TlsChannel::State wantState;
    };
    const Case cases[] = {
        {"private CA, PEM", kEchoPort, "mail.test", PeerFile("ca.pem"), TlsStatus::kOk, TlsChannel::State::kOpen},
        {"private CA, DER", kEchoPort, "mail.test", PeerFile("ca.der"), TlsStatus::kOk, TlsChannel::State::kOpen},
        {"private CA, second in a bundle", kEchoPort, "mail.test", PeerFile("bundle.pem"), TlsStatus::kOk,
         TlsChannel::State::kOpen},
        {"host name case", kEchoPort, "MAIL.test", PeerFile("ca.pem"), TlsStatus::kOk, TlsChannel::State::kOpen},
        {"system roots do not know the CA", kEchoPort, "mail.test", "", TlsStatus::kCertificateUntrusted,
         TlsChannel::State::kFailed},
        {"another CA", kEchoPort, "mail.test", PeerFile("rogue.pem"), TlsStatus::kCertificateUntrusted,
         TlsChannel::State::kFailed},
        {"another host name", kEchoPort, "smtp.test", PeerFile("ca.pem"), TlsStatus::kNameMismatch,
         TlsChannel::State::kFailed},
        {"address instead of name", kEchoPort, "127.0.15.1", PeerFile("ca.pem"), TlsStatus::kNameMismatch,
         TlsChannel::State::kFailed},
        {"TLS 1.0/1.1 only", kOldPort, "mail.test", PeerFile("ca.pem"), TlsStatus::kHandshakeFailed,
         TlsChannel::State::kFailed},
        {"clear-text server", kPlainPort, "mail.test", PeerFile("ca.pem"), TlsStatus::kHandshakeFailed,
         TlsChannel::State::kFailed},
        // The channel cannot see the hang-up; it must only not claim success.
        {"hang-up mid-handshake", kCutPort, "mail.test", PeerFile("ca.pem"), TlsStatus::kOk,
         TlsChannel::State::kHandshaking},
        {"missing CA file", kEchoPort, "mail.test", PeerFile("none.pem"), TlsStatus::kCaFileUnreadable,
         TlsChannel::State::kFailed},
        {"key is not a CA file", kEchoPort, "mail.test", PeerFile("ca.key"), TlsStatus::kCaFileUnreadable,
         TlsChannel::State::kFailed},
    };
    for (const Case& c : cases) {
        Connection conn(c.port);
        ASSERT_TRUE(conn.Connected()) << c.name;
        TlsChannel tls;
        std::string plain;
        TlsStatus status = Handshake(conn, tls, c.host, c.ca, plain);
        EXPECT_EQ(status, c.want) << c.name << ": " << zenk::tls::TlsStatusText(status) << " (0x" << std::hex
                                  << static_cast<unsigned long>(tls.LastSystemStatus()) << std::dec << ")";
        EXPECT_EQ(tls.CurrentState(), c.wantState) << c.name;
        // A refused channel stays refused: nothing can be sent through it.
        std::string out;
        if (c.wantState != TlsChannel::State::kOpen) {
            TlsStatus wantSend = c.want == TlsStatus::kOk ? TlsStatus::kWrongState : c.want;
            EXPECT_EQ(tls.Send("x", 1, out), wantSend) << c.name;
            EXPECT_TRUE(out.empty()) << c.name;
        }
    }
}

TEST_F(TlsChannelTest, EchoesOneMebibyteAndCloses) {
    Connection conn(kEchoPort);
    ASSERT_TRUE(conn.Connected());
    TlsChannel tls;
    std::string plain;
    ASSERT_EQ(Handshake(conn, tls, "mail.test", PeerFile("ca.pem"), plain), TlsStatus::kOk);

    const std::string sent = Pattern(1 << 20);
    std::string out;
    ASSERT_EQ(tls.Send(sent.data(), sent.size(), out), TlsStatus::kOk);
    EXPECT_GT(out.size(), sent.size());  // headers and MACs, never plain data alone
    EXPECT_EQ(out.find(sent.substr(1000, 64)), std::string::npos) << "plaintext went out in clear";
    ASSERT_TRUE(conn.SendAll(out));

    char buffer[7000];  // smaller than a full record: records come in pieces
    while (plain.size() < sent.size()) {
        int n = conn.Receive(buffer, sizeof buffer);
        ASSERT_GT(n, 0) << "after " << plain.size() << " bytes";
        ASSERT_EQ(tls.Receive(buffer, static_cast<std::size_t>(n), out, plain), TlsStatus::kOk);
    }
    EXPECT_TRUE(plain == sent) << "echo differs";

    // Our close_notify; the server answers with its own and closes.
    ASSERT_EQ(tls.Close(out), TlsStatus::kOk);
    EXPECT_FALSE(out.empty());
    ASSERT_TRUE(conn.SendAll(out));
    EXPECT_EQ(tls.CurrentState(), TlsChannel::State::kClosed);
    EXPECT_EQ(tls.Send("x", 1, out), TlsStatus::kWrongState);
}

TEST_F(TlsChannelTest, ReassemblesSplitRecordsAndSeesTheEnd) {
    Connection conn(kDripPort);
    ASSERT_TRUE(conn.Connected());
    TlsChannel tls;
    std::string plain, out;
    ASSERT_EQ(Handshake(conn, tls, "mail.test", PeerFile("ca.pem"), plain), TlsStatus::kOk);
    char buffer[65536];
    int sizes[] = {1, 2, 3, 5, 17, 4096, 65536};
    for (int k = 0; tls.CurrentState() == TlsChannel::State::kOpen; ++k) {
        int n = conn.Receive(buffer, sizes[k % 7]);
        ASSERT_GT(n, 0) << "stream ended without close_notify after " << plain.size() << " bytes";
        ASSERT_EQ(tls.Receive(buffer, static_cast<std::size_t>(n), out, plain), TlsStatus::kOk);
    }
    EXPECT_EQ(tls.CurrentState(), TlsChannel::State::kPeerClosed);
    EXPECT_EQ(plain.size(), kDripBytes);
    EXPECT_TRUE(plain == Pattern(kDripBytes)) << "drip differs";
    // Still allowed after the peer's close: our own close_notify.
    ASSERT_EQ(tls.Close(out), TlsStatus::kOk);
    EXPECT_FALSE(out.empty());
}

}  // namespace
