// SmtpEngine with security and AUTH: one table of sessions against a
// scripted server, each checked for the exact bytes before and after the
// handshake ("<TLS>" in the transcript) and for its notifications.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "mail/secure_status.h"
#include "mail/smtp_engine.h"
#include "mail/smtp_status.h"
#include "smtp_fake_link.h"

using namespace zenk;
using testutil::FakeSmtpLink;
using tls::SecurityMode;
using tls::TlsStatus;
using Posts = std::vector<std::pair<int, long>>;

namespace {

const std::string kOutbox =
    "Letters : 001\r\nFROM:<alice@example.org>\r\nBEGIN MESSAGE HEADER\r\n"
    "TO:<bob@example.org>\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\nSubject: hi\r\n\r\nline\r\nEND DATA\r\n";
const std::string kMail = "MAIL FROM:<alice@example.org>\r\nRCPT TO:<bob@example.org>\r\nDATA \r\n"
                          "Subject: hi\r\n\r\nline\r\n.\r\nQUIT \r\n";
const std::string kOffersAll = "250-mail.test\r\n250-STARTTLS\r\n250 AUTH PLAIN LOGIN";
const std::string kOffersTls = "250-mail.test\r\n250 STARTTLS";
const std::string kOffersPlain = "250-mail.test\r\n250-AUTH PLAIN\r\n250 SIZE 100";
const std::string kOffersLogin = "250-mail.test\r\n250 AUTH=LOGIN";
const std::string kOffersNothing = "250 mail.test";
const Posts kDelivered{{17, 0}, {15, 1}, {18, 0}, {0, 0}};
Posts Failed(int code) { return {{17, 0}, {code, 0}, {0, 0}}; }

struct Case {
    const char* name;
    SecurityMode mode;
    const char* user;      // nullptr: no login
    bool allowClear;
    std::string ehloClear;  // EHLO reply before TLS
    std::string ehloTls;    // EHLO reply through TLS
    std::string startTlsReply;
    TlsStatus startResult;  // what the link's StartTls gives
    TlsStatus handshake;    // how the handshake ends
    std::string authReply, userReply, passReply;
    std::string wire;       // the whole transcript
    Posts posts;
};

const Case kCases[] = {
    {"plain session keeps HELO", SecurityMode::kNone, nullptr, false, kOffersAll, "", "", TlsStatus::kOk,
     TlsStatus::kOk, "", "", "", "HELO alice\r\n" + kMail, kDelivered},
    {"starttls without login", SecurityMode::kStartTlsRequired, nullptr, false, kOffersTls, kOffersNothing,
     "220 go ahead", TlsStatus::kOk, TlsStatus::kOk, "", "", "",
     "EHLO alice\r\nSTARTTLS\r\n<TLS>EHLO alice\r\n" + kMail, kDelivered},
    {"AUTH offered in clear waits for TLS, then PLAIN", SecurityMode::kStartTlsRequired, "bob", false, kOffersAll,
     kOffersAll, "220 go ahead", TlsStatus::kOk, TlsStatus::kOk, "235 ok", "", "",
     "EHLO alice\r\nSTARTTLS\r\n<TLS>EHLO alice\r\nAUTH PLAIN AGJvYgBzZWNyZXQ=\r\n" + kMail, kDelivered},
    {"LOGIN when PLAIN is not offered", SecurityMode::kStartTlsRequired, "bob", false, kOffersTls, kOffersLogin,
     "220 go ahead", TlsStatus::kOk, TlsStatus::kOk, "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", "235 ok",
     "EHLO alice\r\nSTARTTLS\r\n<TLS>EHLO alice\r\nAUTH LOGIN\r\nYm9i\r\nc2VjcmV0\r\n" + kMail, kDelivered},
    {"TLS from the first byte", SecurityMode::kImplicitTls, "bob", false, kOffersPlain, "", "", TlsStatus::kOk,
     TlsStatus::kOk, "235 ok", "", "", "<TLS>EHLO alice\r\nAUTH PLAIN AGJvYgBzZWNyZXQ=\r\n" + kMail, kDelivered},
    {"clear credentials when allowed", SecurityMode::kNone, "bob", true, kOffersPlain, "", "", TlsStatus::kOk,
     TlsStatus::kOk, "235 ok", "", "", "EHLO alice\r\nAUTH PLAIN AGJvYgBzZWNyZXQ=\r\n" + kMail, kDelivered},
    {"clear credentials not allowed", SecurityMode::kNone, "bob", false, kOffersPlain, "", "", TlsStatus::kOk,
     TlsStatus::kOk, "", "", "", "", {{kSecureAuthRefused, 0}, {0, 0}}},
    {"STARTTLS not offered", SecurityMode::kStartTlsRequired, "bob", false, kOffersPlain, "", "",
     TlsStatus::kOk, TlsStatus::kOk, "", "", "", "EHLO alice\r\nQUIT \r\n", Failed(kSecureStartTlsRefused)},
    {"STARTTLS refused", SecurityMode::kStartTlsRequired, "bob", false, kOffersAll, "", "454 not now",
     TlsStatus::kOk, TlsStatus::kOk, "", "", "", "EHLO alice\r\nSTARTTLS\r\nQUIT \r\n",
     Failed(kSecureStartTlsRefused)},
    {"untrusted certificate", SecurityMode::kStartTlsRequired, "bob", false, kOffersAll, "", "220 go",
     TlsStatus::kOk, TlsStatus::kCertificateUntrusted, "", "", "", "EHLO alice\r\nSTARTTLS\r\n<TLS>",
     Failed(kSecureUntrusted)},
    {"certificate for another name", SecurityMode::kImplicitTls, nullptr, false, "", "", "", TlsStatus::kOk,
     TlsStatus::kNameMismatch, "", "", "", "<TLS>", Failed(kSecureNameMismatch)},
    {"handshake cut off", SecurityMode::kStartTlsRequired, nullptr, false, kOffersTls, "", "220 go",
     TlsStatus::kOk, TlsStatus::kHandshakeFailed, "", "", "", "EHLO alice\r\nSTARTTLS\r\n<TLS>",
     Failed(kSecureHandshakeFailed)},
    {"unreadable CA file", SecurityMode::kStartTlsRequired, nullptr, false, kOffersTls, "", "220 go",
     TlsStatus::kCaFileUnreadable, TlsStatus::kOk, "", "", "", "EHLO alice\r\nSTARTTLS\r\n",
     Failed(kSecureCaFileUnreadable)},
    {"wrong password", SecurityMode::kStartTlsRequired, "bob", false, kOffersTls, kOffersPlain, "220 go",
     TlsStatus::kOk, TlsStatus::kOk, "535 no", "", "", "EHLO alice\r\nSTARTTLS\r\n<TLS>EHLO alice\r\n"
     "AUTH PLAIN AGJvYgBzZWNyZXQ=\r\nQUIT \r\n", Failed(kSecureAuthRefused)},
    {"LOGIN password refused", SecurityMode::kImplicitTls, "bob", false, kOffersLogin, "", "", TlsStatus::kOk,
     TlsStatus::kOk, "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", "535 no",
     "<TLS>EHLO alice\r\nAUTH LOGIN\r\nYm9i\r\nc2VjcmV0\r\nQUIT \r\n", Failed(kSecureAuthRefused)},
    {"no mechanism offered", SecurityMode::kImplicitTls, "bob", false, kOffersNothing, "", "", TlsStatus::kOk,
     TlsStatus::kOk, "", "", "", "<TLS>EHLO alice\r\nQUIT \r\n", Failed(kSecureAuthRefused)},
};

// Completes every write and answers in each waiting state as the case says.
void RunCase(const Case& c, SmtpEngine& engine, FakeSmtpLink& link) {
    bool tlsDone = false;
    auto send = [&](const std::string& reply) {
        const std::string bytes = reply + "\r\n";
        engine.OnReceived(bytes.data(), bytes.size());
    };
    if (engine.Finished()) return;
    engine.OnConnected();
    if (c.mode != SecurityMode::kImplicitTls) send("220 mail.test ESMTP");
    for (int guard = 0; guard < 1000 && !engine.Finished(); ++guard) {
        if (!link.pendingWrites.empty()) {
            link.pendingWrites.pop_front();
            engine.OnSent();
            continue;
        }
        const std::map<int, std::string> replies = {
            {kSmtpEhloReply, tlsDone && c.mode != SecurityMode::kImplicitTls ? c.ehloTls : c.ehloClear},
            {kSmtpStartTlsReply, c.startTlsReply}, {kSmtpAuthReply, c.authReply},
            {kSmtpLoginUserReply, c.userReply}, {kSmtpLoginPassReply, c.passReply},
            {kSmtpMailReply, "250 ok"}, {kSmtpRcptReply, "250 ok"}, {kSmtpDataReply, "354 go"},
            {kSmtpEndReply, "250 queued"}, {kSmtpQuitReply, "221 bye"}, {kSmtpHeloReply, "250 hi"},
            {kSmtpGreeting, "220 mail.test ESMTP"}};
        const int state = engine.State();
        if (state == kSmtpTlsHandshake) {
            tlsDone = true;
            if (c.handshake == TlsStatus::kOk) engine.OnTlsOpen();
            else engine.OnTlsFailed(c.handshake);
            continue;
        }
        auto reply = replies.find(state);
        ASSERT_NE(reply, replies.end()) << SmtpStateName(state);
        send(reply->second);
    }
}

}  // namespace

TEST(SmtpSecurity, EverySessionSendsOnlyWhatItsSecurityAllows) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        FakeSmtpLink link(kOutbox);
        link.startTls = c.startResult;
        SmtpEngine engine(link);
        ASSERT_TRUE(engine.SetSecurity(c.mode));
        if (c.user) {
            ASSERT_TRUE(engine.SetLogin(c.user, "secret", c.allowClear));
        }
        engine.SendMail("mail.test");
        RunCase(c, engine, link);
        EXPECT_EQ(link.wire, c.wire);
        EXPECT_EQ(link.posts, c.posts);
        EXPECT_TRUE(engine.Finished());
        // No credential ever precedes the handshake unless clear text was allowed.
        if (c.user && !c.allowClear) {
            const std::string clear = link.wire.substr(0, link.wire.find("<TLS>"));
            EXPECT_EQ(clear.find("AUTH"), std::string::npos);
            EXPECT_EQ(clear.find("c2VjcmV0"), std::string::npos);
        }
    }
}

TEST(SmtpSecurity, SettingsAreCheckedAndFixedOnceStarted) {
    FakeSmtpLink link(kOutbox);
    SmtpEngine engine(link);
    const std::string longest(SmtpEngine::kMaxCredential, 'u');
    const struct {
        std::string user, password;
        bool taken;
    } logins[] = {{"bob", "secret", true},          {longest, longest, true},   {longest + "u", "pw", false},
                  {"bob", longest + "p", false},    {"bob", "", false},         {"b\r\nob", "pw", false},
                  {"bob", std::string("p\0w", 3), false}, {"", "", true}};
    for (const auto& l : logins) EXPECT_EQ(engine.SetLogin(l.user, l.password, false), l.taken) << l.user.size();
    EXPECT_TRUE(engine.SetSecurity(SecurityMode::kImplicitTls));
    engine.SendMail("mail.test");
    EXPECT_FALSE(engine.SetSecurity(SecurityMode::kNone));
    EXPECT_FALSE(engine.SetLogin("bob", "secret", false));
    EXPECT_EQ(engine.Security(), SecurityMode::kImplicitTls);
}

// A handshake that never finishes ends within the silence limit, as a
// handshake failure, and nothing more is written.
TEST(SmtpSecurity, StalledHandshakeEndsAsAHandshakeFailure) {
    for (SecurityMode mode : {SecurityMode::kStartTlsRequired, SecurityMode::kImplicitTls}) {
        FakeSmtpLink link(kOutbox);
        SmtpEngine engine(link);
        engine.SetSecurity(mode);
        engine.SetLimits(5, 3);
        engine.SendMail("mail.test");
        engine.OnConnected();
        if (mode == SecurityMode::kStartTlsRequired) {
            const std::string talk = "220 hi\r\n";
            engine.OnReceived(talk.data(), talk.size());
            engine.OnSent();
            const std::string ehlo = kOffersTls + "\r\n";
            engine.OnReceived(ehlo.data(), ehlo.size());
            engine.OnSent();
            const std::string go = "220 go\r\n";
            engine.OnReceived(go.data(), go.size());
        }
        ASSERT_EQ(engine.State(), kSmtpTlsHandshake);
        const std::string before = link.wire;
        for (int i = 0; i < 3; ++i) engine.OnSecond(0);
        EXPECT_TRUE(engine.Finished());
        EXPECT_EQ(link.posts, Failed(kSecureHandshakeFailed));
        EXPECT_EQ(link.wire, before);
        EXPECT_FALSE(link.streamOpen);
    }
}

// Clear text that a server (or a man in the middle) adds after its reply to
// STARTTLS must not be read as part of the first reply through TLS.
TEST(SmtpSecurity, ClearTextAfterTheStartTlsReplyIsDropped) {
    for (const std::string tail : {"", "535 5.7.8 forged", "250 forged\r\n535 forged"}) {
        SCOPED_TRACE(tail);
        FakeSmtpLink link(kOutbox);
        SmtpEngine engine(link);
        engine.SetSecurity(SecurityMode::kStartTlsRequired);
        engine.SetLogin("bob", "secret", false);
        engine.SendMail("mail.test");
        engine.OnConnected();
        for (const std::string& reply : {std::string("220 hi\r\n"), kOffersTls + "\r\n", "220 go\r\n" + tail}) {
            engine.OnReceived(reply.data(), reply.size());
            engine.OnSent();
        }
        ASSERT_EQ(engine.State(), kSmtpTlsHandshake);
        engine.OnTlsOpen();
        engine.OnSent();
        const std::string ehlo = kOffersPlain + "\r\n";
        engine.OnReceived(ehlo.data(), ehlo.size());
        EXPECT_EQ(engine.State(), kSmtpAuthSent);
        EXPECT_EQ(link.wire, "EHLO alice\r\nSTARTTLS\r\n<TLS>EHLO alice\r\nAUTH PLAIN AGJvYgBzZWNyZXQ=\r\n");
    }
}
