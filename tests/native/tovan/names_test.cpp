// Host and port texts, wildcards, paths and unique names of tovan32.
#include <gtest/gtest.h>

#include <set>

#include "protocol/names.h"

using namespace tovan;

namespace {

TEST(TovanHostAndPort, HostAndOptionalPort) {
    std::string host;
    unsigned short port = 0;
    ASSERT_TRUE(ParseHostAndPort("ftp.example.com", host, port));
    EXPECT_EQ(host, "ftp.example.com");
    EXPECT_EQ(port, 21);
    ASSERT_TRUE(ParseHostAndPort("127.0.4.1:2121", host, port));
    EXPECT_EQ(host, "127.0.4.1");
    EXPECT_EQ(port, 2121);
    ASSERT_TRUE(ParseHostAndPort("h:65535", host, port));
    EXPECT_EQ(port, 65535);
    ASSERT_TRUE(ParseHostAndPort("  ftp.example.com:2100 \t", host, port));
    EXPECT_EQ(host, "ftp.example.com");
    EXPECT_EQ(port, 2100);
    for (const char* bad : {"", "   ", ":21", "h :21", "h:", "h:0", "h:65536", "h:21x", "h:1:2", "h:999999"})
        EXPECT_FALSE(ParseHostAndPort(bad, host, port)) << bad;
}

TEST(TovanWildcard, StarsAndQuestionMarks) {
    EXPECT_TRUE(WildcardMatch("*.txt", "a.txt", false));
    EXPECT_TRUE(WildcardMatch("*.txt", ".txt", false));
    EXPECT_FALSE(WildcardMatch("*.txt", "a.txt.bak", false));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc", false));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXbYcZ", false));
    EXPECT_TRUE(WildcardMatch("m?.txt", "m1.txt", false));
    EXPECT_FALSE(WildcardMatch("m?.txt", "m.txt", false));
    EXPECT_TRUE(WildcardMatch("*", "", false));
    EXPECT_TRUE(WildcardMatch("**a**", "banana", false));
    EXPECT_FALSE(WildcardMatch("", "a", false));
}

TEST(TovanWildcard, CaseOnlyForLocalNames) {
    EXPECT_TRUE(WildcardMatch("*.TXT", "readme.txt", true));
    EXPECT_FALSE(WildcardMatch("*.TXT", "readme.txt", false));
    EXPECT_TRUE(HasWildcard("a?"));
    EXPECT_FALSE(HasWildcard("plain.txt"));
}

TEST(TovanPaths, SplitAtTheLastSeparator) {
    std::string folder, leaf;
    SplitRemotePath("pub/sub/*.txt", folder, leaf);
    EXPECT_EQ(folder, "pub/sub/");
    EXPECT_EQ(leaf, "*.txt");
    SplitRemotePath("*.txt", folder, leaf);
    EXPECT_EQ(folder, "");
    SplitLocalPath("c:\\data\\m?.txt", folder, leaf);
    EXPECT_EQ(folder, "c:\\data\\");
    EXPECT_EQ(leaf, "m?.txt");
    SplitLocalPath("c:*.txt", folder, leaf);
    EXPECT_EQ(folder, "c:");
    EXPECT_EQ(leaf, "*.txt");
    EXPECT_EQ(RemoteLeaf("sub/dir/a.txt"), "a.txt");
    EXPECT_EQ(RemoteLeaf("a.txt"), "a.txt");
}

TEST(TovanPaths, OnlyPlainNamesBecomeLocalFiles) {
    EXPECT_TRUE(IsSafeLocalName("a1.txt"));
    EXPECT_TRUE(IsSafeLocalName("..hidden"));
    for (const char* bad : {"", ".", "..", "..\\x", "a/b", "c:x", "a*", "a|b", "a\tb", "con?"})
        EXPECT_FALSE(IsSafeLocalName(bad)) << bad;
}

TEST(TovanPaths, DeviceNamesAndTrailingDotsAreNoFiles) {
    for (const char* device : {"CON", "con", "PRN", "aux", "Nul", "nul.txt", "COM1", "com9.log", "LPT1", "lpt5.x.y",
                               "CONIN$", "conout$", "CLOCK$", "nul .txt", "COM0", "LPT\xB9", "a.", "a ", "name.txt.", "..."})
        EXPECT_FALSE(IsSafeLocalName(device)) << device;
    // Only the exact device stems: longer names and other numbers are files.
    for (const char* file : {"console", "con_1.txt", "COM10", "LPTX", "LPT", "nullify.txt", "aux1", "a.con",
                             "x.nul", " a", "CLOCK"})
        EXPECT_TRUE(IsSafeLocalName(file)) << file;
}

TEST(TovanLocalUnique, FirstFreeSuffix) {
    std::set<std::string> taken;
    auto exists = [&](const std::string& p) { return taken.count(p) > 0; };
    EXPECT_EQ(LocalUniqueName("a.txt", exists), "a.txt");
    taken = {"a.txt", "a.txt.1", "a.txt.3"};
    EXPECT_EQ(LocalUniqueName("a.txt", exists), "a.txt.2");
    taken.clear();
    taken.insert("a");
    for (int i = 1; i <= kMaxUniqueSuffix; ++i) taken.insert("a." + std::to_string(i));
    EXPECT_EQ(LocalUniqueName("a", exists), "");
}

TEST(TovanStoreUnique, NameFromTheReply) {
    EXPECT_EQ(StoreUniqueName("125 FILE: u.txt.1"), "u.txt.1");
    EXPECT_EQ(StoreUniqueName("150 FILE:  spaced name  "), "spaced name");
    EXPECT_EQ(StoreUniqueName("250 Transfer complete (unique file name \"x.1\")."), "x.1");
    EXPECT_EQ(StoreUniqueName("150 Opening data connection"), "");
    EXPECT_EQ(StoreUniqueName("150 FILE:"), "");
}

TEST(TovanListing, LinesWithoutEnds) {
    auto lines = SplitListing("a.txt\r\nb.txt\n\r\n\nc");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "a.txt");
    EXPECT_EQ(lines[1], "b.txt");
    EXPECT_EQ(lines[2], "c");
    EXPECT_TRUE(SplitListing("").empty());
}

}  // namespace
