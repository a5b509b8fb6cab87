// Reply intake, PASV / PORT addresses and the ASCII coder of tovan32.
#include <gtest/gtest.h>

#include <string>

#include "protocol/ascii_coder.h"
#include "protocol/data_address.h"
#include "protocol/reply_collector.h"
#include "protocol/reply_reader.h"

using namespace tovan;

namespace {

std::vector<Reply> FeedAll(ReplyReader& reader, const std::string& bytes) {
    reader.Feed(bytes.data(), bytes.size());
    std::vector<Reply> out;
    Reply r;
    while (reader.Next(r)) out.push_back(r);
    return out;
}

TEST(TovanReplyReader, SingleLinesInOrder) {
    ReplyReader reader;
    auto replies = FeedAll(reader, "220 Hello\r\n331 Password\r\n200\r\n");
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].code, 220);
    EXPECT_EQ(replies[0].text, "220 Hello");
    EXPECT_EQ(replies[1].code, 331);
    EXPECT_TRUE(replies[1].Intermediate());
    EXPECT_EQ(replies[2].code, 200);
    EXPECT_FALSE(reader.Partial());
}

TEST(TovanReplyReader, MultiLineEndsAtTheSameCodeAndASpace) {
    ReplyReader reader;
    // Inner lines that look like replies (other code, or same code with '-')
    // do not end it; a bare LF ends a line as well.
    auto replies = FeedAll(reader, "214-The following commands\r\n 211 not an end\r\n214-still going\n"
                                   "500 other code\r\n214 Help OK.\r\n");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].code, 214);
    EXPECT_EQ(replies[0].lastLine, "214 Help OK.");
    EXPECT_EQ(replies[0].text,
              "214-The following commands\r\n 211 not an end\r\n214-still going\r\n500 other code\r\n214 Help OK.");
}

TEST(TovanReplyReader, BytesMayArriveOneAtATime) {
    ReplyReader reader;
    const std::string bytes = "150-Opening\r\n150 data\r\n226 Done\r\n";
    std::vector<Reply> replies;
    for (char c : bytes) {
        reader.Feed(&c, 1);
        Reply r;
        while (reader.Next(r)) replies.push_back(r);
    }
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_TRUE(replies[0].Preliminary());
    EXPECT_EQ(replies[0].text, "150-Opening\r\n150 data");
    EXPECT_TRUE(replies[1].Completed());
}

TEST(TovanReplyReader, LinesThatAreNoRepliesAreSkipped) {
    ReplyReader reader;
    // Each would otherwise be taken for the answer to a command, and the
    // real answer for the next command's.
    auto replies = FeedAll(reader, "hello\r\n2000 x\r\n600 no\r\n099 no\r\n22\r\n\r\n200 NOOP ok\r\n"
                                   "220x\r\n 331 blank first\r\n331 Password\r\n");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].code, 200);
    EXPECT_EQ(replies[0].text, "200 NOOP ok");
    EXPECT_EQ(replies[1].code, 331);
    EXPECT_EQ(replies[1].text, "331 Password");
    EXPECT_FALSE(reader.Partial());
    // Inside a multi-line reply the same lines are text.
    replies = FeedAll(reader, "211-Features\r\nhello\r\n211 End\r\n");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].text, "211-Features\r\nhello\r\n211 End");
}

TEST(TovanReplyReader, OverlongInputIsBounded) {
    ReplyReader reader;
    std::string line = "220 " + std::string(100000, 'a') + "\r\n";
    auto replies = FeedAll(reader, line);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].text.size(), ReplyReader::kMaxLine);

    std::string multi = "211-start\r\n";
    for (int i = 0; i < 5000; ++i) multi += "feature line " + std::to_string(i) + "\r\n";
    multi += "211 End\r\n";
    replies = FeedAll(reader, multi);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_LE(replies[0].text.size(), ReplyReader::kMaxReplyText);
    EXPECT_EQ(replies[0].lastLine, "211 End");
}

TEST(TovanReplyReader, ClearForgetsHalfReplies) {
    ReplyReader reader;
    FeedAll(reader, "211-open\r\npartial");
    EXPECT_TRUE(reader.Partial());
    reader.Clear();
    auto replies = FeedAll(reader, "200 ok\r\n");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].text, "200 ok");
}

Reply Line(const std::string& line) {
    Reply r;
    r.code = LineReplyCode(line, nullptr);
    r.text = r.lastLine = line;
    return r;
}

TEST(TovanReplyCollector, PreliminaryRepliesThenTheFinalOne) {
    ReplyCollector c;
    EXPECT_EQ(c.Add(Line("150 Opening")), ReplyCollector::Status::kMore);
    EXPECT_EQ(c.Add(Line("226 Done")), ReplyCollector::Status::kFinal);
    EXPECT_EQ(c.Answer().code, 226);
    EXPECT_EQ(c.Answer().lastLine, "226 Done");
    EXPECT_EQ(c.Answer().text, "150 Opening\r\n226 Done");

    ReplyCollector single;
    EXPECT_EQ(single.Add(Line("200 NOOP ok")), ReplyCollector::Status::kFinal);
    EXPECT_EQ(single.Answer().text, "200 NOOP ok");
}

TEST(TovanReplyCollector, EndlessPreliminaryRepliesAreBounded) {
    ReplyCollector c;
    const std::string line = "150 " + std::string(ReplyReader::kMaxLine - 4, 'x');
    for (int i = 0; i < kMaxPreliminaryReplies; ++i) ASSERT_EQ(c.Add(Line(line)), ReplyCollector::Status::kMore);
    EXPECT_EQ(c.Add(Line(line)), ReplyCollector::Status::kTooMany);
    EXPECT_LE(c.Answer().text.size(), ReplyReader::kMaxReplyText);
    EXPECT_EQ(c.Answer().text.compare(0, line.size() + 2, line + "\r\n"), 0);
}

TEST(TovanPassiveReply, ReadsTheSixNumbers) {
    DataAddress a;
    ASSERT_TRUE(ParsePassiveReply("227 Entering Passive Mode (127,0,4,1,195,80).", a));
    EXPECT_EQ(a.ip[0], 127);
    EXPECT_EQ(a.ip[2], 4);
    EXPECT_EQ(a.ip[3], 1);
    EXPECT_EQ(a.port, 195 * 256 + 80);
    // Without parentheses, and after other numbers.
    ASSERT_TRUE(ParsePassiveReply("227 Mode 2 is =10,1,2,3,4,5", a));
    EXPECT_EQ(a.ip[0], 10);
    EXPECT_EQ(a.port, 4 * 256 + 5);
}

TEST(TovanPassiveReply, RefusesWhatIsNoAddress) {
    DataAddress a;
    EXPECT_FALSE(ParsePassiveReply("227 Entering Passive Mode", a));
    EXPECT_FALSE(ParsePassiveReply("227 (127,0,0,1,300,1)", a));
    EXPECT_FALSE(ParsePassiveReply("227 (127,0,0,1,0,0)", a));
    EXPECT_FALSE(ParsePassiveReply("227 (127,0,0,1,2)", a));
    EXPECT_FALSE(ParsePassiveReply("227 (1277,0,0,1,2,3)", a));
    EXPECT_FALSE(ParsePassiveReply("", a));
}

TEST(TovanPortArgument, RoundTripsThroughThePassiveParser) {
    DataAddress a;
    a.ip[0] = 192;
    a.ip[1] = 168;
    a.ip[2] = 0;
    a.ip[3] = 255;
    a.port = 65535;
    EXPECT_EQ(FormatPortArgument(a), "192,168,0,255,255,255");
    a.port = 256;
    DataAddress b;
    ASSERT_TRUE(ParsePassiveReply("227 (" + FormatPortArgument(a) + ")", b));
    EXPECT_EQ(b.port, 256);
    EXPECT_EQ(b.ip[1], 168);
}

TEST(TovanAsciiEncoder, BareLfBecomesCrLfAcrossChunks) {
    AsciiEncoder encoder;
    std::string out;
    encoder.Encode("a\nb\r", 4, out);
    encoder.Encode("\nc\n", 3, out);
    encoder.Encode("\r\r\n", 3, out);
    EXPECT_EQ(out, "a\r\nb\r\nc\r\n\r\r\n");
}

TEST(TovanCommandText, LineBreaksAndNulAreUnsafe) {
    EXPECT_TRUE(IsSafeCommandText("RETR a file.txt"));
    EXPECT_FALSE(IsSafeCommandText("a\r\nDELE x"));
    EXPECT_FALSE(IsSafeCommandText("a\nb"));
    EXPECT_FALSE(IsSafeCommandText(std::string("a\0b", 3)));
}

}  // namespace
