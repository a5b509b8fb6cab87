// Secure mail through zenk32.dll's exports: every SMTP and POP3 session of
// the tables below runs against a real server or a scripted peer that
// mail_tls_peers.py started, and ends with its own status code within the
// collector's wait. The runner checks afterwards that the inboxes hold the
// server's messages byte for byte and that no credential reached a peer in
// clear.
#include <gtest/gtest.h>

#include "scratch_folder.h"
#include "smtp_test_util.h"

using namespace smtptest;

namespace {

const std::string kFiles = Env("ZENK_MAILTLS_FILES");  // ca.pem, rogue.pem; inboxes go here

class MailTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(kFiles.empty()) << "run through mail_tls_peers.py";
        ASSERT_TRUE(scratch.entered);
        ZENKInit();
        ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    }
    testutil::ScratchFolder scratch{"zenk_mailtls_"};
};

std::string Ca(const char* name) { return name[0] ? kFiles + "\\" + name : ""; }

// The failure codes a run posted (anything but 0 and the progress codes).
int FailureOf(const Posts& posts, std::initializer_list<int> progress) {
    for (const auto& p : posts)
        if (p.first != 0 && std::find(progress.begin(), progress.end(), p.first) == progress.end()) return p.first;
    return 0;
}

}  // namespace

TEST_F(MailTlsTest, SmtpSessionsEndAsTheirSecurityRequires) {
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>(i * 7 + i / 251);
    const std::string blob = scratch.path + "\\blob.bin";
    WriteAll(blob, binary);
    const std::string outbox = scratch.path + "\\outbox.txt";
    ASSERT_TRUE(Compose(outbox, "alice@mail.test",
                        {Message{{"bob@mail.test"}, {}, {blob}, "secure", "Through TLS\r\n.\r\nend\r\n"}}));
    const std::string expected = ExpectedTexts(ReadAll(outbox)).at(0);
    const std::string maildir = Env("ZENK_MAILTLS_FILES") + "\\maildir\\new";

    const struct {
        const char* name;
        const char* server;
        int port, mode;
        const char* password;  // nullptr: no login
        const char* ca;
        const char* certName;
        int failure;           // 0: delivered
    } cases[] = {
        {"STARTTLS and AUTH PLAIN", "127.0.16.1", 587, ZENK_SECURITY_STARTTLS, "secret", "ca.pem", "mail.test", 0},
        {"STARTTLS and AUTH LOGIN", "127.0.16.1", 2587, ZENK_SECURITY_STARTTLS, "secret", "ca.pem", "mail.test", 0},
        {"TLS from the first byte", "127.0.16.1", 465, ZENK_SECURITY_TLS, "secret", "bundle.pem", "mail.test", 0},
        {"untrusted CA", "127.0.16.1", 587, ZENK_SECURITY_STARTTLS, "secret", "rogue.pem", "mail.test",
         ZENK_SMTP_ERR_TLS_UNTRUSTED},
        {"system roots do not know the test CA", "127.0.16.1", 465, ZENK_SECURITY_TLS, nullptr, "", "mail.test",
         ZENK_SMTP_ERR_TLS_UNTRUSTED},
        {"certificate for another name", "127.0.16.1", 465, ZENK_SECURITY_TLS, "secret", "ca.pem", "other.test",
         ZENK_SMTP_ERR_TLS_NAME},
        {"wrong password", "127.0.16.1", 587, ZENK_SECURITY_STARTTLS, "guess", "ca.pem", "mail.test",
         ZENK_SMTP_ERR_AUTH},
        {"STARTTLS not offered", "127.0.16.3", 25, ZENK_SECURITY_STARTTLS, "secret", "ca.pem", "mail.test",
         ZENK_SMTP_ERR_STARTTLS},
        {"dropped after STARTTLS", "127.0.16.3", 587, ZENK_SECURITY_STARTTLS, "secret", "ca.pem", "mail.test",
         ZENK_SMTP_ERR_TLS_HANDSHAKE},
        {"cut in the handshake", "127.0.16.3", 465, ZENK_SECURITY_TLS, "secret", "ca.pem", "mail.test",
         ZENK_SMTP_ERR_TLS_HANDSHAKE},
        {"missing CA file", "127.0.16.1", 587, ZENK_SECURITY_STARTTLS, "secret", "none.pem", "mail.test",
         ZENK_SMTP_ERR_CAFILE},
        {"credentials never in clear", "127.0.16.3", 25, ZENK_SECURITY_NONE, "secret", "", "", ZENK_SMTP_ERR_AUTH},
    };
    std::size_t delivered = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Collector collector;
        void* session = nullptr;
        ASSERT_EQ(ZENKSMTPStartWindow(collector.window, kNotify, outbox.c_str(), &session), 0);
        EXPECT_EQ(ZENKSMTPSetPort(session, c.port), ZENK_OK);
        EXPECT_EQ(ZENKSMTPSetSecurity(session, c.mode), ZENK_OK);
        if (c.password) {
            EXPECT_EQ(ZENKSMTPSetLogin(session, "bob", c.password, 0), ZENK_OK);
        }
        EXPECT_EQ(ZENKSMTPSetTrust(session, Ca(c.ca).c_str(), c.certName), ZENK_OK);
        const DWORD start = GetTickCount();
        const int result = ZENKSMTPSendMail(session, c.server);
        EXPECT_TRUE(collector.WaitForEnd(10000));
        EXPECT_LT(GetTickCount() - start, 8000u);
        // Settings are fixed once the delivery has started.
        EXPECT_EQ(ZENKSMTPSetPort(session, 25), ZENK_FAILED);
        EXPECT_EQ(ZENKSMTPSetSecurity(session, ZENK_SECURITY_NONE), ZENK_FAILED);
        EXPECT_EQ(ZENKSMTPClose(session), 0);
        const Posts posts = WithoutTrailingClose(collector.posts);
        EXPECT_EQ(FailureOf(posts, {ZENK_SMTP_CONNECTED, ZENK_SMTP_SENT, ZENK_SMTP_QUIT_DONE}), c.failure);
        if (c.failure == 0) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(posts, (Posts{{ZENK_SMTP_CONNECTED, 0}, {ZENK_SMTP_SENT, 1}, {ZENK_SMTP_QUIT_DONE, 0}, {ZENK_SMTP_DONE, 0}}));
            const std::vector<std::string> stored = ListFiles(maildir);
            ASSERT_EQ(stored.size(), ++delivered);
            // Maildir names start with the time in nanoseconds: the newest is last.
            EXPECT_TRUE(ReadAll(maildir + "\\" + stored.back()) == expected);
        } else {
            EXPECT_EQ(posts.back(), (std::pair<int, long>{ZENK_SMTP_DONE, 0}));
            EXPECT_EQ(std::count(posts.begin(), posts.end(), std::pair<int, long>{ZENK_SMTP_DONE, 0}), 1);
        }
    }
    EXPECT_EQ(ListFiles(maildir).size(), 3u);
}

TEST_F(MailTlsTest, SmtpSettingsAreChecked) {
    void* session = nullptr;
    Collector collector;
    ASSERT_EQ(ZENKSMTPStartWindow(collector.window, kNotify, "x", &session), 0);
    const std::string longName(256, 'n'), longPath(260, 'p'), longSecret(256, 's');
    const struct {
        int result, expected;
    } calls[] = {
        {ZENKSMTPSetPort(session, 0), ZENK_FAILED},
        {ZENKSMTPSetPort(session, 65536), ZENK_FAILED},
        {ZENKSMTPSetPort(session, 65535), ZENK_OK},
        {ZENKSMTPSetSecurity(session, 3), ZENK_FAILED},
        {ZENKSMTPSetSecurity(session, -1), ZENK_FAILED},
        {ZENKSMTPSetLogin(session, "bob", "", 0), ZENK_FAILED},
        {ZENKSMTPSetLogin(session, "bob", longSecret.c_str(), 0), ZENK_FAILED},
        {ZENKSMTPSetLogin(session, "bob", "pw", 2), ZENK_FAILED},
        {ZENKSMTPSetLogin(session, "bob", "pw", ZENK_LOGIN_ALLOW_CLEAR), ZENK_OK},
        {ZENKSMTPSetLogin(session, nullptr, nullptr, 0), ZENK_OK},
        {ZENKSMTPSetTrust(session, longPath.c_str(), nullptr), ZENK_FAILED},
        {ZENKSMTPSetTrust(session, nullptr, longName.c_str()), ZENK_FAILED},
        {ZENKSMTPSetTrust(session, nullptr, nullptr), ZENK_OK},
        {ZENKSMTPSetPort(nullptr, 25), ZENK_BAD_HANDLE},
        {ZENKPOP3SetPort(nullptr, 110), ZENK_BAD_HANDLE},
        {ZENKPOP3SetSecurity(nullptr, 0), ZENK_BAD_HANDLE},
    };
    for (std::size_t i = 0; i < sizeof calls / sizeof calls[0]; ++i) EXPECT_EQ(calls[i].result, calls[i].expected) << i;
    EXPECT_EQ(ZENKSMTPClose(session), 0);
}

TEST_F(MailTlsTest, Pop3SessionsEndAsTheirSecurityRequires) {
    const struct {
        const char* name;
        const char* server;
        int port, mode;
        const char* password;
        const char* ca;
        const char* certName;
        const char* inbox;  // a retrieval into this file; nullptr: count only
        int failure;
    } cases[] = {
        {"STLS", "127.0.16.2", 110, ZENK_SECURITY_STARTTLS, "secret", "ca.pem", "mail.test", "inbox_stls.txt", 0},
        {"TLS from the first byte", "127.0.16.2", 995, ZENK_SECURITY_TLS, "secret", "ca.der", "mail.test",
         "inbox_tls.txt", 0},
        {"untrusted CA", "127.0.16.2", 995, ZENK_SECURITY_TLS, "secret", "rogue.pem", "mail.test", nullptr,
         ZENK_POP3_ERR_TLS_UNTRUSTED},
        {"certificate for another name", "127.0.16.2", 110, ZENK_SECURITY_STARTTLS, "secret", "ca.pem",
         "other.test", nullptr, ZENK_POP3_ERR_TLS_NAME},
        {"wrong password", "127.0.16.2", 995, ZENK_SECURITY_TLS, "guess", "ca.pem", "mail.test", nullptr,
         ZENK_POP3_ERR_REPLY},
        {"STLS refused", "127.0.16.3", 110, ZENK_SECURITY_STARTTLS, "secret", "ca.pem", "mail.test", nullptr,
         ZENK_POP3_ERR_STLS},
        {"cut in the handshake", "127.0.16.3", 465, ZENK_SECURITY_TLS, "secret", "ca.pem", "mail.test", nullptr,
         ZENK_POP3_ERR_TLS_HANDSHAKE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Collector collector;
        void* session = nullptr;
        const std::string inbox = c.inbox ? kFiles + "\\" + c.inbox : "";
        ASSERT_EQ(ZENKPOP3StartWindow(collector.window, kNotify, inbox.c_str(), &session), 0);
        EXPECT_EQ(ZENKPOP3SetPort(session, c.port), ZENK_OK);
        EXPECT_EQ(ZENKPOP3SetSecurity(session, c.mode), ZENK_OK);
        EXPECT_EQ(ZENKPOP3SetTrust(session, Ca(c.ca).c_str(), c.certName), ZENK_OK);
        const DWORD start = GetTickCount();
        const int result = c.inbox ? ZENKPOP3PullMail(session, c.server, "bob", c.password, 0)
                                   : ZENKPOP3IsThereMail(session, c.server, "bob", c.password);
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(collector.WaitForEnd(10000));
        EXPECT_LT(GetTickCount() - start, 8000u);
        EXPECT_EQ(ZENKPOP3SetSecurity(session, ZENK_SECURITY_NONE), ZENK_FAILED);
        int count = -1;
        EXPECT_EQ(ZENKPOP3NumMail(session, &count), 0);
        EXPECT_EQ(ZENKPOP3Close(session), 0);
        const Posts& posts = collector.posts;
        EXPECT_EQ(FailureOf(posts, {ZENK_POP3_CONNECTED, ZENK_POP3_COUNT, ZENK_POP3_STORED, ZENK_POP3_QUIT_DONE}), c.failure);
        EXPECT_EQ(posts.back(), (std::pair<int, long>{ZENK_POP3_DONE, 0}));
        if (c.failure == 0) {
            EXPECT_EQ(count, 2);
            EXPECT_EQ(std::count(posts.begin(), posts.end(), std::pair<int, long>{ZENK_POP3_STORED, 2}), 1);
        }
    }
}
