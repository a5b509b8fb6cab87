// The view log's bound and the listing file intake.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "../../app/log_text.h"

using velmira::AppendListingFile;
using velmira::AppendLogLine;

TEST(AppLog, AppendsEachLineWithCrLfEvenWhenRepeatedOrEmpty) {
    std::string log;
    AppendLogLine(log, "Connected to host");
    AppendLogLine(log, "Connected to host");
    AppendLogLine(log, "");
    AppendLogLine(log, nullptr);
    EXPECT_EQ("Connected to host\r\nConnected to host\r\n\r\n\r\n", log);
}

TEST(AppLog, DropsWholeOldestLinesPastTheBound) {
    std::string log;
    AppendLogLine(log, "first", 20);   // 7 chars
    AppendLogLine(log, "second", 20);  // 15
    EXPECT_EQ("first\r\nsecond\r\n", log);
    AppendLogLine(log, "third", 20);   // 22: "first" must go
    EXPECT_EQ("second\r\nthird\r\n", log);
    AppendLogLine(log, "x", 20);       // 18: fits
    EXPECT_EQ("second\r\nthird\r\nx\r\n", log);
    AppendLogLine(log, "0123456789", 20);  // 30: "second" and "third" go
    EXPECT_EQ("x\r\n0123456789\r\n", log);
}

TEST(AppLog, ALineLongerThanTheBoundKeepsItsEnd) {
    std::string log = "old\r\n";
    AppendLogLine(log, "abcdefghijklmnopqrstuvwxyz", 10);
    EXPECT_EQ(10u, log.size());
    EXPECT_EQ("tuvwxyz\r\n", log.substr(1));
}

namespace {
std::string TempFile(const std::string& bytes) {
    char name[] = "/tmp/velmira_listing_XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    FILE* f = fdopen(fd, "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return name;
}
}  // namespace

TEST(AppListing, ReadsAListingLongerThanOneChunkWholeAndInOrder) {
    std::string bytes;
    for (int i = 0; bytes.size() < 5000; ++i) bytes += "-rw-r--r-- 1 ftp ftp 10 file" + std::to_string(i) + "\r\n";
    std::string path = TempFile(bytes);
    std::string listing = "stale";
    listing.clear();
    ASSERT_TRUE(AppendListingFile(path.c_str(), listing));
    EXPECT_EQ(bytes, listing);
    remove(path.c_str());
}

TEST(AppListing, ANulByteEndsOnlyItsOwnChunk) {
    std::string bytes(1024, 'a');
    bytes[10] = '\0';  // first chunk: "aaaaaaaaaa"
    bytes += "tail";   // second chunk whole
    std::string path = TempFile(bytes);
    std::string listing;
    ASSERT_TRUE(AppendListingFile(path.c_str(), listing));
    EXPECT_EQ(std::string(10, 'a') + "tail", listing);
    remove(path.c_str());
}

TEST(AppListing, EmptyFileGivesEmptyTextAndMissingFileIsReported) {
    std::string path = TempFile("");
    std::string listing;
    EXPECT_TRUE(AppendListingFile(path.c_str(), listing));
    EXPECT_EQ("", listing);
    remove(path.c_str());
    EXPECT_FALSE(AppendListingFile("/nonexistent/velmira/listing", listing));
    EXPECT_EQ("", listing);
}
