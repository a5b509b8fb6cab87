// Reply intake and the bytes of commands and data lines.
#include <gtest/gtest.h>

#include "line_maker.h"

#include <string>
#include <vector>

#include "mail/reply_lines.h"
#include "mail/smtp_commands.h"

using namespace zenk;

namespace {

// Feeds the chunks and returns the codes of the replies completed.
std::vector<int> Replies(const std::vector<std::string>& chunks) {
    ReplyLines lines;
    SmtpReplyIntake intake;
    std::vector<int> codes;
    for (const auto& c : chunks)
        lines.Feed(c.data(), c.size(), [&](std::string_view line) {
            if (intake.TakeLine(line)) codes.push_back(intake.Code());
        });
    return codes;
}

TEST(ReplyIntake, SingleAndMultiLineReplies) {
    using V = std::vector<int>;
    EXPECT_EQ(Replies({"220 ready\r\n"}), V{220});
    EXPECT_EQ(Replies({"220-first\r\n220 last\r\n"}), V{220});
    // Only the first line arrives: nothing yet; the last line completes it.
    EXPECT_EQ(Replies({"220-first\r\n", "220-second\r\n", "220 last\r\n"}), V{220});
    EXPECT_EQ(Replies({"250-a\r\n250-b\r\n250 c\r\n354 go\r\n"}), (V{250, 354}));
    // A final line with the code alone also ends the reply.
    EXPECT_EQ(Replies({"250-a\r\n250\r\n"}), V{250});
}

TEST(ReplyIntake, LinesSplitAcrossChunks) {
    using V = std::vector<int>;
    EXPECT_EQ(Replies({"25", "0 o", "k\r", "\n"}), V{250});
    EXPECT_EQ(Replies({"220-a\r", "\n220 b\r\n"}), V{220});
    EXPECT_EQ(Replies({"221 bye"}), V{});
    EXPECT_EQ(Replies({"", "\r\n", "554 no\n"}), V{554});
}

TEST(ReplyIntake, OverlongLineIsDroppedAndTheNextOneCounts) {
    std::string longLine(2000, '9');
    std::vector<int> codes = Replies({longLine.substr(0, 700), longLine.substr(700) + "\r\n", "250 ok\r\n"});
    EXPECT_EQ(codes, std::vector<int>{250});
}

TEST(ReplyIntake, ClassIsTheFirstCharacter) {
    SmtpReplyIntake intake;
    ASSERT_TRUE(intake.TakeLine("hello there"));
    EXPECT_EQ(intake.Class(), 'h');
    EXPECT_EQ(intake.Code(), 0);
    ASSERT_TRUE(intake.TakeLine("5"));
    EXPECT_EQ(intake.Class(), '5');
    EXPECT_FALSE(intake.TakeLine(""));
}

using testutil::MakeLine;

std::string Wire(const std::string& lineBytes) {
    Line line = MakeLine(lineBytes);
    char out[1100];
    return std::string(out, FormatDataLine(line, out, sizeof out));
}

TEST(DataLine, LeadingDotIsDoubled) {
    EXPECT_EQ(Wire(".\r\n"), "..\r\n");
    EXPECT_EQ(Wire("..\r\n"), "...\r\n");
    EXPECT_EQ(Wire("a.b\r\n"), "a.b\r\n");
    EXPECT_EQ(Wire("\r\n"), "\r\n");
}

// Clearing bit 7 must not make a NUL or a line break: only the final CR LF
// ends a line on the wire, so a text cannot end the data early ("\n.\n")
// or add header lines.
TEST(DataLine, BitSevenClearedAndNoNulOrLineBreakOnTheWire) {
    const struct {
        std::string line, wire;
    } cases[] = {
        {"caf\xe9\r\n", "cafi\r\n"},
        {std::string("a\x80" "b\0c\r\n", 7), "a?b?c\r\n"},
        {"\xae\r\n", "..\r\n"},  // 0xAE turns into "." and is doubled too
        {"Hello \x8d\x8aX-Injected: yes\r\n", "Hello ??X-Injected: yes\r\n"},
        {"before\x8a.\x8a" "after\r\n", "before?.?after\r\n"},
        {"bare\rCR\r\r\n", "bare?CR?\r\n"},
        {"\x8a.\x8a\n", "?.?\r\n"},
        {"\x8d\r\n", "?\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Wire(c.line), c.wire) << testing::PrintToString(c.line);
}

TEST(DataLine, LongestLineFits) {
    std::string line(999, '.');
    EXPECT_EQ(Wire(line + "\n"), "." + line + "\r\n");
}

TEST(Commands, FormatAndRefuseWhatDoesNotFit) {
    char out[16];
    std::size_t n = FormatCommand(out, sizeof out, "QUIT ", "");
    EXPECT_EQ(std::string(out, n), "QUIT \r\n");
    EXPECT_EQ(FormatCommand(out, sizeof out, "RCPT ", "TO:<abcde>"), 0u);
    EXPECT_EQ(FormatCommand(out, sizeof out, "RCPT ", "TO:<abcd>"), 16u);
    // A command is one line: a CR or LF in its argument refuses it.
    EXPECT_EQ(FormatCommand(out, sizeof out, "RCPT ", "TO:<a\rb>"), 0u);
    EXPECT_EQ(FormatCommand(out, sizeof out, "RCPT ", "TO:<a\nb>"), 0u);
}

std::string Helo(const char* sender) {
    char name[31];
    HeloName(sender, name, sizeof name);
    return name;
}

TEST(Commands, HeloNameFromTheSenderLine) {
    EXPECT_EQ(Helo("FROM:<alice@example.org>"), "alice");
    EXPECT_EQ(Helo("FROM:<postmaster>"), "postmaster");
    EXPECT_EQ(Helo("FROM:<>"), "Ziravoz");
    EXPECT_EQ(Helo("FROM:<@relay>"), "Ziravoz");
    EXPECT_EQ(Helo(""), "Ziravoz");
    EXPECT_EQ(Helo("FROM:<abcdefghijklmnopqrstuvwxyz0123456789@x>"), "abcdefghijklmnopqrstuvwxyz0123");
}

}  // namespace
