// SmtpEngine against a scripted server: wire bytes, notifications, states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mail/smtp_engine.h"
#include "mail/smtp_status.h"
#include "memory_storage.h"
#include "mime/mime_composer.h"
#include "mime/mime_scanner.h"
#include "mime_test_support.h"
#include "smtp_fake_link.h"

using namespace zenk;
using testutil::FakeSmtpLink;
using testutil::ScriptedServer;
using Posts = std::vector<std::pair<int, long>>;

namespace {

const std::string kOneMessage =
    "Letters : 001\r\nFROM:<alice@example.org>\r\nBEGIN MESSAGE HEADER\r\n"
    "TO:<bob@example.org>\r\nTO:<carol@example.org>\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\n"
    "Subject: hi\r\n\r\nline\r\n.\r\n..x\r\ncaf\xe9\r\n\r\nEND DATA\r\n";

struct Session {
    explicit Session(std::string outbox) : link(std::move(outbox)), engine(link), server(engine, link) {}
    FakeSmtpLink link;
    SmtpEngine engine;
    ScriptedServer server;
};

TEST(SmtpDelivery, OneMessageTwoRecipientsByteForByte) {
    Session s(kOneMessage);
    ASSERT_EQ(s.engine.SendMail("mail.example.org"), 0);
    EXPECT_EQ(s.link.connectedTo, "mail.example.org");
    EXPECT_EQ(s.engine.State(), kSmtpGreeting);
    s.server.Greet();
    EXPECT_EQ(s.link.wire,
              "HELO alice\r\nMAIL FROM:<alice@example.org>\r\nRCPT TO:<bob@example.org>\r\n"
              "RCPT TO:<carol@example.org>\r\nDATA \r\n"
              "Subject: hi\r\n\r\nline\r\n..\r\n...x\r\ncafi\r\n\r\n.\r\nQUIT \r\n");
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}}));
    EXPECT_TRUE(s.engine.Finished());
    EXPECT_EQ(s.engine.State(), kSmtpQuitReply);
    // The server's close after the end is still reported, with no second 0.
    s.engine.OnClosed();
    EXPECT_EQ(s.link.posts.back(), (std::pair<int, long>{kSmtpServerClosed, 0}));
    EXPECT_EQ(s.link.posts.size(), 5u);
}

// Bytes that become CR or LF once bit 7 is cleared, and bare CRs, leave as
// "?": the server sees exactly the lines of the outbox, one message, and a
// "\x8a.\x8a" inside a line cannot end the data.
TEST(SmtpDelivery, NoLineBreakIsSmuggledIntoTheData) {
    Session s("Letters : 001\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\nTO:<b@y>\r\nEND MESSAGE HEADER\r\n"
              "BEGIN DATA\r\nSubject: Hello \x8d\x8aX-Injected: yes\r\n\r\n"
              "before\x8a.\x8a" "after\r\nbare\rCR\r\n\x8a.\x8a\r\n.\x8d\r\nEND DATA\r\n");
    ASSERT_EQ(s.engine.SendMail("h"), 0);
    s.server.Greet();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}}));
    const std::string& w = s.link.wire;
    EXPECT_EQ(w, "HELO a\r\nMAIL FROM:<a@x>\r\nRCPT TO:<b@y>\r\nDATA \r\n"
                 "Subject: Hello ??X-Injected: yes\r\n\r\nbefore?.?after\r\nbare?CR\r\n?.?\r\n..?\r\n"
                 ".\r\nQUIT \r\n");
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i] == '\r') {
            EXPECT_TRUE(i + 1 < w.size() && w[i + 1] == '\n') << i;
        }
        if (w[i] == '\n') {
            EXPECT_TRUE(i > 0 && w[i - 1] == '\r') << i;
        }
    }
}

// Every ended message is delivered and the run ends with 18 and 0, also
// when the composer was finished with a message still open.
TEST(SmtpDelivery, EveryMessageOfAComposedOutbox) {
    testutil::MemoryStorage storage;
    MimeComposer composer(storage);
    composer.Start("out", "a@x");
    for (const char* to : {"one@y", "two@y", "three@y"}) {
        composer.NewMessage();
        composer.AddTo(to);
        std::string text = std::string("for ") + to + "\r\nEND DATAX\r\n";
        composer.AddData(text.data(), static_cast<int>(text.size()));
        composer.EndMessage();
    }
    composer.NewMessage();  // started, never ended: not announced
    composer.AddTo("four@y");
    composer.Finish();
    Session s(storage.Text("out"));
    ASSERT_EQ(s.engine.SendMail("h"), 0);
    s.server.Greet();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpMessageSent, 2}, {kSmtpMessageSent, 3}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}}));
    const std::string& w = s.link.wire;
    EXPECT_EQ(w.substr(0, 25), "HELO a\r\nMAIL FROM:<a@x>\r\n");
    std::size_t one = w.find("RCPT TO:<one@y>\r\nDATA \r\nFrom: a@x\r\nTo: one@y\r\n");
    std::size_t two = w.find("\r\n.\r\nMAIL FROM:<a@x>\r\nRCPT TO:<two@y>\r\nDATA \r\n");
    std::size_t three = w.find("RCPT TO:<three@y>\r\n");
    EXPECT_TRUE(one != std::string::npos && two != std::string::npos && three != std::string::npos);
    EXPECT_TRUE(one < two && two < three);
    EXPECT_NE(w.find("for three@y\r\nEND DATAX\r\n\r\n.\r\nQUIT \r\n"), std::string::npos);
}

// The data ends at the last "END DATA" before the next record (or the end
// of the file): "END DATA" lines inside the text are sent as text, an
// empty data section is an empty message, and blank lines after the last
// marker do not matter.
TEST(SmtpDelivery, EndDataLinesInTheTextAreSentAsText) {
    Session s(
        "Letters : 002\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\nTO:<b@y>\r\nEND MESSAGE HEADER\r\n"
        "BEGIN DATA\r\nEND DATA\r\nkept\r\nEND DATA\r\nLetters? no\r\nkept too\r\nEND DATA\r\n"
        "Letters : 002\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\nTO:<c@y>\r\nEND MESSAGE HEADER\r\n"
        "BEGIN DATA\r\nEND DATA\r\n\r\n\r\n");
    s.engine.SendMail("h");
    s.server.Greet();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpMessageSent, 2}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}}));
    EXPECT_NE(s.link.wire.find("<b@y>\r\nDATA \r\nEND DATA\r\nkept\r\nEND DATA\r\nLetters? no\r\n"
                               "kept too\r\n.\r\nMAIL"),
              std::string::npos)
        << s.link.wire;
    EXPECT_NE(s.link.wire.find("<c@y>\r\nDATA \r\n.\r\nQUIT \r\n"), std::string::npos) << s.link.wire;
}

// ---- The text in chunks ---------------------------------------------------

const std::string kHead =
    "Letters : 001\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\nTO:<b@y>\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\n";
const std::string kCommands = "HELO a\r\nMAIL FROM:<a@x>\r\nRCPT TO:<b@y>\r\nDATA \r\n";

// The text lines as a server must receive them, from the line rules alone:
// the text split at each LF, a CR before it dropped; bit 7 cleared, a
// leading "." doubled, NUL, CR and LF as "?"; CR LF after each line.
std::string TextOnTheWire(const std::string& text) {
    std::string wire;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t lf = text.find('\n', at);
        std::string line = text.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
        at = lf == std::string::npos ? text.size() : lf + 1;
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        for (char& c : line) {
            c = static_cast<char>(c & 0x7F);
            if (c == '\0' || c == '\r' || c == '\n') c = '?';
        }
        if (!line.empty() && line[0] == '.') wire += '.';
        wire += line + "\r\n";
    }
    return wire;
}

struct TextCase {
    const char* name;
    std::string text;  // between "BEGIN DATA" and the record's "END DATA"
};

std::vector<TextCase> TextCases() {
    std::uint32_t seed = 77;
    auto next = [&seed](std::uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
    std::vector<TextCase> cases = {{"empty text", ""}, {"one empty line", "\r\n"}};
    std::string dots, markers, longLines, binary;
    const char* dotLines[] = {".", "..", ".x", "\xae", "\xae\xae", "x.", ""};
    for (int i = 0; i < 9000; ++i) dots += std::string(dotLines[next(7)]) + "\r\n";
    const char* markerLines[] = {"END DATA", "END DATAX", " END DATA", "BEGIN DATA", "END MESSAGE HEADER",
                                 "END DATA ", "\xc5ND DATA", "text"};
    for (int i = 0; i < 6000; ++i) markers += std::string(markerLines[next(8)]) + "\r\n";
    markers += "END DATA\r\n";  // the text's last line reads like the marker too
    // Lines of 997 to 999 bytes, some with a leading dot (1002 bytes on the
    // wire), so that chunk ends fall at every offset.
    for (int i = 0; i < 300; ++i) {
        std::string line(997 + next(3), static_cast<char>('a' + next(26)));
        if (next(2)) line[0] = '.';
        longLines += line + (line.size() == 999 ? "\n" : "\r\n");
    }
    for (int i = 0; i < 4000; ++i) {
        std::string line(next(200), '\0');
        for (char& c : line) c = static_cast<char>(next(256));
        binary += line + "\r\n";
    }
    // The longest line on the wire (a dot and 999 bytes) just at the end
    // of the first chunk: lines of 1002, then two lines that leave exactly
    // its room.
    std::string lastRoom;
    std::size_t room = SmtpEngine::kDataChunkBytes;
    while (room >= 3 * SmtpEngine::kMaxWireLine) {
        lastRoom += "." + std::string(998, 'e') + "\n";  // the CR would count among the 999
        room -= SmtpEngine::kMaxWireLine;
    }
    room -= SmtpEngine::kMaxWireLine;
    lastRoom += std::string(room / 2 - 2, 'f') + "\r\n" + std::string(room - room / 2 - 2, 'g') + "\r\n";
    lastRoom += "." + std::string(998, 'h') + "\ntail\r\n";
    cases.push_back({"longest line in the last room", lastRoom});
    cases.push_back({"dot lines", dots});
    cases.push_back({"marker-like lines", markers});
    cases.push_back({"999-byte lines", longLines});
    cases.push_back({"binary", binary});
    return cases;
}

// The text goes out in writes of many lines, none above the chunk size,
// and the server receives exactly the bytes of one write per line: the
// same lines, dot-stuffing, masking and end marker, however the outbox
// reader's spans fall.
TEST(SmtpText, ChunksCarryExactlyTheBytesOfTheLines) {
    for (const TextCase& c : TextCases()) {
        const std::string text = TextOnTheWire(c.text);
        // Reader spans (0: whole) with write limits: a raised stream buffer,
        // the default one, one between.
        const std::pair<std::size_t, std::size_t> runs[] = {
            {0, SmtpEngine::kDataChunkBytes}, {1, SmtpLink::kDefaultWriteLimit}, {4096, 5000}};
        for (const auto& [span, limit] : runs) {
            Session s(kHead + c.text + "END DATA\r\n");
            s.link.writeLimit = limit;
            if (span) s.link.source.LimitSpans(span);
            ASSERT_EQ(s.engine.SendMail("h"), 0);
            s.server.Greet();
            EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}})) << c.name << " span " << span;
            EXPECT_TRUE(s.link.wire == kCommands + text + ".\r\nQUIT \r\n") << c.name << " span " << span;
            EXPECT_EQ(s.link.oversizedWrites, 0) << c.name << " limit " << limit;
            // Every chunk but the last is filled to within one line of the bound.
            const std::size_t chunks = text.size() / (limit - SmtpEngine::kMaxWireLine + 1) + 1;
            EXPECT_LE(static_cast<std::size_t>(s.link.writes), 5 + chunks) << c.name;
        }
    }
}

// A text line that cannot be read (1000 bytes without an LF, a failing
// read) ends the delivery with 3 and QUIT after exactly the lines before it
// have gone out, whether it comes in the first chunk or a later one.
TEST(SmtpText, UnreadableLineAbortsAfterTheLinesBeforeIt) {
    for (int count : {0, 2, 3000}) {
        std::string lines;
        for (int i = 0; i < count; ++i) lines += (i % 7 ? "line " : ".dot ") + std::to_string(i) + "\r\n";
        for (bool overlong : {true, false}) {
            std::string outbox = kHead + lines + (overlong ? std::string(1000, 'z') + "\r\n" : "never read\r\n") +
                                 "after\r\nEND DATA\r\n";
            Session s(outbox);
            if (!overlong) s.link.source.FailReadsFrom(kHead.size() + lines.size() + 3);
            ASSERT_EQ(s.engine.SendMail("h"), 0);
            s.server.Greet();
            EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpSendFailed, 0}, {kSmtpDone, 0}})) << count << overlong;
            EXPECT_TRUE(s.link.wire == kCommands + TextOnTheWire(lines) + "QUIT \r\n") << count << overlong;
        }
    }
}

// Composer, SMTP client and scanner together: the text of a composed
// message, marker lines of both files included, comes back line for line
// from an inbox made of what went over the wire.
TEST(SmtpDelivery, MarkerLinesSurviveComposerSmtpAndScanner) {
    const std::string text =
        "Letters : 9\r\nBEGIN MESSAGE HEADER\r\nEND DATA\r\nBEGIN DATA\r\n.\r\nEND MESSAGE\r\n"
        "BEGIN MESSAGE\r\n..\r\nEND DATA\r\nEND MESSAGE\r\nlast\r\n";
    testutil::MemoryStorage storage;
    MimeComposer composer(storage);
    composer.Start("out", "a@x");
    for (const char* to : {"one@y", "two@y"}) {
        composer.NewMessage();
        composer.AddTo(to);
        composer.AddData(text.data(), static_cast<int>(text.size()));
        ASSERT_EQ(composer.EndMessage(), 0);
    }
    composer.Finish();
    Session s(storage.Text("out"));
    s.engine.SendMail("h");
    s.server.Greet();
    ASSERT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpMessageSent, 2}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}}));

    // Each message as a POP3 server hands it back: the DATA bytes as sent
    // (leading dots already doubled), then the end line.
    std::string inbox = "Letters : 2\r\n";
    const std::string& w = s.link.wire;
    for (std::size_t at = 0; (at = w.find("DATA \r\n", at)) != std::string::npos;) {
        at += 7;
        std::size_t end = w.find("\r\n.\r\n", at);
        ASSERT_NE(end, std::string::npos);
        inbox += "BEGIN MESSAGE\r\n" + w.substr(at, end + 5 - at) + "END MESSAGE\r\n";
        at = end;
    }
    MemorySource source(inbox);
    mimetest::MemoryStore store;
    MimeScanner scanner(&source, store, "");
    ASSERT_EQ(scanner.MessageCount(), 2);
    for (int i = 0; i < 2; ++i) {
        MimeMessageRecord* r = i == 0 ? scanner.GetFirst() : scanner.GetNext();
        ASSERT_NE(r, nullptr);
        EXPECT_STREQ(r->to[0], i == 0 ? "one@y" : "two@y");
        // The composer closes the text with one more CR LF.
        EXPECT_EQ(std::string(r->text), text + "\r\n");
    }
    EXPECT_EQ(scanner.GetNext(), nullptr);
}

TEST(SmtpReplies, MultiLineGreetingInOneOrTwoChunks) {
    for (int split = 0; split < 2; ++split) {
        Session s(kOneMessage);
        s.engine.SendMail("h");
        s.engine.OnConnected();
        if (split) {
            s.server.Send("220-welcome\r\n");
            EXPECT_EQ(s.link.wire, "");
            s.server.Send("220 ready\r\n");
        } else {
            s.server.Send("220-welcome\r\n220 ready\r\n");
        }
        EXPECT_EQ(s.link.wire, "HELO alice\r\n");
        EXPECT_EQ(s.engine.State(), kSmtpHeloSent);
    }
}

TEST(SmtpStates, TwentyFourNamedStates) {
    EXPECT_STREQ(SmtpStateName(kSmtpGreeting), "greeting");
    EXPECT_STREQ(SmtpStateName(kSmtpChunkSent), "chunk-sent");
    EXPECT_STREQ(SmtpStateName(kSmtpQuitReply), "quit-reply");
    EXPECT_STREQ(SmtpStateName(kSmtpTlsHandshake), "tls-handshake");
    EXPECT_EQ(kSmtpStateCount, 24);
    EXPECT_STREQ(SmtpStateName(24), "?");
}

TEST(SmtpReplies, ReplyInAnOddStateAndCompletionInAnEvenStateAreIgnored) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    s.engine.OnConnected();
    s.engine.OnSent();  // nothing written yet: even state
    EXPECT_EQ(s.engine.State(), kSmtpGreeting);
    s.server.Send("220 ok\r\n");
    ASSERT_EQ(s.engine.State(), kSmtpHeloSent);
    s.server.Send("250 too early\r\n");
    EXPECT_EQ(s.engine.State(), kSmtpHeloSent);
    EXPECT_EQ(s.link.wire, "HELO alice\r\n");
}

TEST(SmtpReplies, UnexpectedClassAbortsWithQuit) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    s.server.Greet("554 go away\r\n");
    EXPECT_EQ(s.link.wire, "QUIT \r\n");
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpUnexpectedReply, 0}, {kSmtpDone, 0}}));
}

TEST(SmtpReplies, RefusedQuitIsNotRetriedForever) {
    Session s(kOneMessage);
    s.server.replyFor[kSmtpQuitReply] = "500 what";
    s.engine.SendMail("h");
    s.server.Greet();
    // 15 and then QUIT refused: one abort with a second QUIT, then the end.
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpMessageSent, 1}, {kSmtpUnexpectedReply, 0}, {kSmtpDone, 0}}));
    EXPECT_EQ(s.link.wire.substr(s.link.wire.size() - 14), "QUIT \r\nQUIT \r\n");
}

TEST(SmtpRecipients, RefusedRecipientIsReportedAndTheNextOneTried) {
    Session s(kOneMessage);
    s.server.rcptReplies = {"550 no such user", "250 ok"};
    s.engine.SendMail("h");
    s.server.Greet();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpDone, 1}, {kSmtpMessageSent, 1}, {kSmtpQuitAcknowledged, 0}, {kSmtpDone, 0}}));
    EXPECT_NE(s.link.wire.find("RCPT TO:<carol@example.org>\r\nDATA \r\n"), std::string::npos);
}

TEST(SmtpRecipients, AllRefusedEndsTheRunWithQuit) {
    Session s(kOneMessage);
    s.server.rcptReplies = {"550 no", "450 later"};
    s.engine.SendMail("h");
    s.server.Greet();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpDone, 1}, {kSmtpDone, 1}, {kSmtpUnexpectedReply, 0}, {kSmtpDone, 0}}));
    EXPECT_EQ(s.link.wire.find("DATA"), std::string::npos);
    EXPECT_EQ(s.link.wire.substr(s.link.wire.size() - 7), "QUIT \r\n");
}

TEST(SmtpRecipients, BadOrOverlongRecipientLineFailsWithoutWriting) {
    std::string longTo = "TO:<" + std::string(116, 'r') + ">";  // 121 characters
    for (const std::string& to : {std::string("CC:<x@y>"), longTo, std::string("TO:<x@y>\rRCPT TO:<z@y>")}) {
        Session s("Letters : 001\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\n" + to +
                  "\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\nx\r\nEND DATA\r\n");
        s.engine.SendMail("h");
        s.server.Greet();
        EXPECT_EQ(s.link.wire, "HELO a\r\nMAIL FROM:<a@x>\r\nQUIT \r\n");
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpSendFailed, 0}, {kSmtpDone, 0}}));
    }
    // 120 characters still fit.
    Session s("Letters : 001\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\n" + longTo.substr(1) +
              "\r\nEND MESSAGE HEADER\r\nBEGIN DATA\r\nx\r\nEND DATA\r\n");
    s.engine.SendMail("h");
    s.server.Greet();
    EXPECT_EQ(s.link.posts.back(), (std::pair<int, long>{kSmtpDone, 0}));
    EXPECT_EQ(s.link.posts[1], (std::pair<int, long>{kSmtpSendFailed, 0}));  // "O:<" is no recipient line
}

TEST(SmtpOutbox, MissingMarkersGive14) {
    for (const char* body : {"BEGIN MESSAGE HEADR\r\nTO:<b@y>\r\n", "BEGIN MESSAGE HEADER\r\nTO:<b@y>\r\nBEGIN  DATA\r\n"}) {
        Session s(std::string("Letters : 001\r\nFROM:<a@x>\r\n") + body);
        s.engine.SendMail("h");
        s.server.Greet();
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpNoMarker, 0}, {kSmtpDone, 0}})) << body;
    }
}

TEST(SmtpOutbox, TextWithoutEndDataFailsWith3) {
    Session s("Letters : 001\r\nFROM:<a@x>\r\nBEGIN MESSAGE HEADER\r\nTO:<b@y>\r\nBEGIN DATA\r\nonly\r\n");
    s.engine.SendMail("h");
    s.server.Greet();
    EXPECT_NE(s.link.wire.find("DATA \r\nonly\r\nQUIT \r\n"), std::string::npos);
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpSendFailed, 0}, {kSmtpDone, 0}}));
}

// ---- Start sequence ------------------------------------------------------

struct StartCase {
    const char* name;
    std::string outbox;
    int status;
};

TEST(SmtpStart, OutboxHeadIsChecked) {
    const StartCase cases[] = {
        {"count 0", "Letters : 000\r\nFROM:<a@x>\r\n", 8},
        {"negative", "Letters : -1\r\nFROM:<a@x>\r\n", 8},
        {"no count line", "Letter : 001\r\nFROM:<a@x>\r\n", 8},
        {"empty file", "", 8},
        {"no sender", "Letters : 001\r\nFROM <a@x>\r\n", 13},
        {"no second line", "Letters : 001\r\n", 13},
        {"sender of 64", "Letters : 001\r\nFROM:<" + std::string(57, 's') + ">\r\n", 13},
        {"sender with a CR", "Letters : 001\r\nFROM:<a@x>\rRCPT TO:<z@y>\r\n", 13},
    };
    for (const auto& c : cases) {
        Session s(c.outbox);
        EXPECT_EQ(s.engine.SendMail("h"), -2) << c.name;
        EXPECT_EQ(s.link.posts, (Posts{{c.status, 0}, {kSmtpDone, 0}})) << c.name;
        EXPECT_FALSE(s.link.outboxOpen) << c.name;
        EXPECT_FALSE(s.link.streamOpen) << c.name;
    }
    Session fits("Letters : 001\r\nFROM:<" + std::string(56, 's') + ">\r\n");
    EXPECT_EQ(fits.engine.SendMail("h"), 0);
    EXPECT_EQ(fits.engine.LetterCount(), 1);
}

TEST(SmtpStart, LinkFailuresInOrder) {
    {
        Session s(kOneMessage);
        s.link.window = false;
        EXPECT_EQ(s.engine.SendMail("h"), -2);
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpNoWindow, 0}, {kSmtpDone, 0}}));
    }
    {
        Session s(kOneMessage);
        EXPECT_EQ(s.engine.SendMail(std::string(48, 'n').c_str()), -2);
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpNoServer, 0}, {kSmtpDone, 0}}));
    }
    {
        Session s(kOneMessage);
        EXPECT_EQ(s.engine.SendMail(std::string(47, 'n').c_str()), 0);
        EXPECT_EQ(s.link.connectedTo.size(), 47u);
    }
    {
        Session s(kOneMessage);
        s.link.canOpen = false;
        EXPECT_EQ(s.engine.SendMail("h"), -2);
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpOutboxUnopened, 0}, {kSmtpDone, 0}}));
    }
    {
        Session s(kOneMessage);
        s.link.canCreate = false;
        EXPECT_EQ(s.engine.SendMail("h"), -2);
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpNoStream, 0}, {kSmtpDone, 0}}));
        EXPECT_TRUE(s.link.outboxOpen);
    }
    {
        Session s(kOneMessage);
        s.link.canConnect = false;
        EXPECT_EQ(s.engine.SendMail("h"), -2);
        EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnectFailed, 0}, {kSmtpDone, 0}}));
        EXPECT_FALSE(s.link.streamOpen);
    }
}

TEST(SmtpStart, OneDeliveryPerSession) {
    Session s(kOneMessage);
    ASSERT_EQ(s.engine.SendMail("h"), 0);
    EXPECT_EQ(s.engine.SendMail("other"), -2);
    EXPECT_TRUE(s.link.posts.empty());
    EXPECT_EQ(std::string(s.engine.Server()), "h");
    Session failed(kOneMessage);
    EXPECT_EQ(failed.engine.SendMail(""), -2);
    EXPECT_EQ(failed.engine.SendMail("h"), -2);
    EXPECT_EQ(failed.link.posts.size(), 2u);
}

// ---- Failures on the way -------------------------------------------------

TEST(SmtpFailures, SendErrorAbortsOnceAndEnds) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    s.engine.OnConnected();
    s.server.Send("220 ok\r\n");
    s.engine.OnSendError();  // HELO did not go out
    EXPECT_EQ(s.engine.State(), kSmtpQuitSent);
    s.engine.OnSendError();  // nor did QUIT: the run ends without a third write
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpSendFailed, 0}, {kSmtpSendFailed, 0}, {kSmtpDone, 0}}));
    EXPECT_EQ(s.link.wire, "HELO alice\r\nQUIT \r\n");
    s.engine.OnSendError();
    EXPECT_EQ(s.link.posts.size(), 4u);
}

TEST(SmtpFailures, WriteRefusedByTheStream) {
    Session s(kOneMessage);
    s.link.failWritesFrom = 1;  // HELO goes, MAIL cannot be queued
    s.engine.SendMail("h");
    s.server.Greet();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpSendFailed, 0}, {kSmtpDone, 0}}));
}

TEST(SmtpFailures, ReceiveErrorAndUnreadableChunk) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    s.engine.OnConnected();
    s.engine.OnReadFailed();
    EXPECT_EQ(s.engine.State(), kSmtpGreeting);
    s.engine.OnReceiveError();
    s.server.Pump();  // QUIT completes, 221 comes
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpNoBuffer, 0}, {kSmtpReceiveFailed, 0}, {kSmtpDone, 0}}));
}

TEST(SmtpFailures, ServerClosingMidwayEndsTheRun) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    s.engine.OnConnected();
    s.server.Send("220 ok\r\n");
    s.engine.OnClosed();
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpServerClosed, 0}, {kSmtpDone, 0}}));
    EXPECT_FALSE(s.engine.Running());
    s.server.Pump();
    EXPECT_EQ(s.link.posts.size(), 3u);
}

TEST(SmtpTimers, ConnectionFailureEndsAtItsNoticeOrWithinASecond) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    s.engine.OnSecond(0);
    EXPECT_TRUE(s.engine.Running());
    s.engine.OnSecond(10061);
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnectFailed, 0}, {kSmtpDone, 0}}));
    EXPECT_FALSE(s.link.streamOpen);
    s.engine.OnConnected();  // nothing moves a finished run
    EXPECT_EQ(s.link.posts.size(), 2u);

    Session noticed(kOneMessage);  // the stream's notice of the failure: no tick needed
    noticed.engine.SendMail("h");
    noticed.engine.OnConnectFailed();
    EXPECT_EQ(noticed.link.posts, (Posts{{kSmtpConnectFailed, 0}, {kSmtpDone, 0}}));
    Session up(kOneMessage);  // once connected, a notice is stale
    up.engine.SendMail("h");
    up.engine.OnConnected();
    up.engine.OnConnectFailed();
    EXPECT_TRUE(up.engine.Running());
}

TEST(SmtpTimers, ConnectionAndSilenceLimits) {
    Session s(kOneMessage);
    s.engine.SendMail("h");
    for (int i = 1; i < SmtpEngine::kConnectLimitSeconds; ++i) s.engine.OnSecond(0);
    EXPECT_TRUE(s.engine.Running());
    s.engine.OnSecond(0);
    EXPECT_EQ(s.link.posts, (Posts{{kSmtpConnectFailed, 0}, {kSmtpDone, 0}}));

    Session q(kOneMessage);
    q.engine.SetLimits(2, 3);
    q.engine.SendMail("h");
    q.engine.OnSecond(0);
    q.engine.OnConnected();  // resets the count
    q.engine.OnSecond(0);
    q.engine.OnSecond(0);
    q.server.Send("220 ");   // part of a line is still a sign of life
    q.engine.OnSecond(0);
    q.engine.OnSecond(0);
    EXPECT_TRUE(q.engine.Running());
    q.engine.OnSecond(0);
    EXPECT_EQ(q.link.posts, (Posts{{kSmtpConnected, 0}, {kSmtpReceiveFailed, 0}, {kSmtpDone, 0}}));
    EXPECT_FALSE(q.link.streamOpen);
}

}  // namespace

namespace {

// Whatever the server and the stream do, a run ends with exactly one final
// 0 once the connection is gone, and nothing is posted after it but 12.
TEST(SmtpRobustness, EveryRunEndsWithOneFinalZero) {
    const char* replies[] = {"220 hi\r\n", "250 ok\r\n", "354 go\r\n", "221 bye\r\n", "550 no\r\n",
                             "421-busy\r\n", "421 busy\r\n", "25", "0 split\r\n", "\r\n", "xyz\r\n"};
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int run = 0; run < 400; ++run) {
        Session s(kOneMessage);
        ASSERT_EQ(s.engine.SendMail("h"), 0);
        for (int step = 0; step < 40; ++step) {
            switch (next(8)) {
            case 0: s.engine.OnConnected(); break;
            case 1: s.engine.OnSendError(); break;
            case 2: s.engine.OnReceiveError(); break;
            case 3: s.engine.OnReadFailed(); break;
            case 4: s.engine.OnSecond(next(4) == 0 ? 10061 : 0); break;
            case 5: s.engine.OnSent(); break;
            default: s.server.Send(replies[next(sizeof replies / sizeof *replies)]);
            }
            ASSERT_GE(s.engine.State(), 0);
            ASSERT_LT(s.engine.State(), kSmtpStateCount);
        }
        s.engine.OnClosed();
        EXPECT_TRUE(s.engine.Finished()) << run;
        auto finalZero = std::count(s.link.posts.begin(), s.link.posts.end(), std::pair<int, long>{kSmtpDone, 0});
        EXPECT_EQ(finalZero, 1) << run;
        auto last = std::find(s.link.posts.begin(), s.link.posts.end(), std::pair<int, long>{kSmtpDone, 0});
        for (auto it = last + 1; it != s.link.posts.end(); ++it) EXPECT_EQ(it->first, 12) << run;
    }
}

}  // namespace
