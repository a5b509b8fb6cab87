// Round trip: messages made by the composer, served as a POP3 server sends
// them (leading "." doubled, "." line at the end), scanned back.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "memory_storage.h"
#include "mime/mime_composer.h"
#include "mime_test_support.h"

using namespace zenk;

namespace {

// The message text of each outbox record, as a POP3 server would send it.
std::string InboxFromOutbox(const std::string& outbox, int count) {
    std::string inbox = "Letters : " + std::to_string(count) + "\r\n";
    std::size_t at = 0;
    for (;;) {
        std::size_t begin = outbox.find("BEGIN DATA\r\n", at);
        if (begin == std::string::npos) break;
        begin += 12;
        std::size_t end = outbox.find("\r\nEND DATA\r\n", begin);
        inbox += "BEGIN MESSAGE\r\n";
        std::size_t line = begin;
        while (line < end + 2) {
            std::size_t eol = outbox.find("\r\n", line);
            if (outbox[line] == '.') inbox += '.';
            inbox += outbox.substr(line, eol + 2 - line);
            line = eol + 2;
        }
        inbox += ".\r\nEND MESSAGE\r\n";
        at = end;
    }
    return inbox;
}

TEST(MimeRoundTrip, ComposedAttachmentsComeBackByteForByte) {
    testutil::MemoryStorage storage;
    MimeComposer composer(storage);
    std::mt19937 random(7);
    const std::size_t sizes[] = {0, 1, 2, 3, 56, 57, 58, 1000, 4099};
    ASSERT_EQ(composer.Start("out.txt", "a@x"), 0);
    for (std::size_t size : sizes) {
        std::string bytes;
        for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>(random());
        storage.files["f" + std::to_string(size) + ".bin"] = std::make_shared<std::string>(bytes);
    }
    // Message 1: the first five files; message 2: text only, with dot lines;
    // message 3: the other four.
    ASSERT_EQ(composer.NewMessage(), 0);
    composer.AddTo("b@x");
    composer.SetSubject("files one");
    for (int i = 0; i < 5; ++i) ASSERT_EQ(composer.AddFile(("f" + std::to_string(sizes[i]) + ".bin").c_str()), 0);
    composer.AddData("Hello,\r\n.here they are\r\n", 25);
    ASSERT_EQ(composer.EndMessage(), 0);
    ASSERT_EQ(composer.NewMessage(), 0);
    composer.AddTo("c@x");
    composer.SetSubject("plain");
    composer.AddData(".\r\n..\r\nend", 10);
    ASSERT_EQ(composer.EndMessage(), 0);
    ASSERT_EQ(composer.NewMessage(), 0);
    composer.AddTo("d@x");
    for (int i = 5; i < 9; ++i) ASSERT_EQ(composer.AddFile(("f" + std::to_string(sizes[i]) + ".bin").c_str()), 0);
    ASSERT_EQ(composer.EndMessage(), 0);
    ASSERT_EQ(composer.Finish(), 0);

    mimetest::Scan s(InboxFromOutbox(storage.Text("out.txt"), 3), "C:\\in");
    MimeMessageRecord* r = s.scanner.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "files one");
    EXPECT_EQ(mimetest::Text(r).rfind("Hello,\r\n.here they are\r\n", 0), 0u) << mimetest::Text(r);
    EXPECT_EQ(mimetest::Text(r).find_first_not_of("\r\n", 25), std::string::npos);
    ASSERT_EQ(r->attachmentCount, 5);
    for (int i = 0; i < 5; ++i) {
        std::string name = "f" + std::to_string(sizes[i]) + ".bin";
        EXPECT_EQ(std::string(r->attachments[i]), "C:\\in\\" + name);
        EXPECT_EQ(s.store.files["C:\\in\\" + name], *storage.files[name]) << name;
    }
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->subject, "plain");
    EXPECT_EQ(mimetest::Text(r), ".\r\n..\r\nend\r\n");
    r = s.scanner.GetNext();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->attachmentCount, 4);
    for (int i = 5; i < 9; ++i) {
        std::string name = "f" + std::to_string(sizes[i]) + ".bin";
        EXPECT_EQ(s.store.files["C:\\in\\" + name], *storage.files[name]) << name;
    }
    EXPECT_EQ(s.scanner.GetNext(), nullptr);
}

}  // namespace
