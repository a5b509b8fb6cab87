// Base64 and the per-message stamps (date and zone, message id, boundary).
#include <gtest/gtest.h>

#include <string>

#include "mime/base64_encode.h"
#include "mime/message_stamps.h"

using namespace zenk;

namespace {

std::string B64(const std::string& in) {
    std::string out(Base64Length(in.size()), '?');
    out.resize(Base64Encode(in.data(), in.size(), out.data()));
    return out;
}

TEST(Base64, StandardVectorsAndPadding) {
    EXPECT_EQ(B64(""), "");
    EXPECT_EQ(B64("f"), "Zg==");
    EXPECT_EQ(B64("fo"), "Zm8=");
    EXPECT_EQ(B64("foo"), "Zm9v");
    EXPECT_EQ(B64("foob"), "Zm9vYg==");
    EXPECT_EQ(B64("fooba"), "Zm9vYmE=");
    EXPECT_EQ(B64("foobar"), "Zm9vYmFy");
}

TEST(Base64, HighBytesUseTheWholeAlphabet) {
    EXPECT_EQ(B64(std::string("\xff\xff\xff", 3)), "////");
    EXPECT_EQ(B64(std::string("\xfb\xef\xbe", 3)), "++++");
    EXPECT_EQ(B64(std::string("\0\0\0", 3)), "AAAA");
    EXPECT_EQ(B64(std::string("\x80", 1)), "gA==");
}

TEST(Base64, FullBlockIsOneLineOf68) {
    EXPECT_EQ(Base64Length(kBase64BlockBytes), kBase64LineChars);
    EXPECT_EQ(B64(std::string(51, 'a')).size(), 68u);
}

CivilTime At(int y, int mo, int wd, int d, int h, int mi, int s) { return CivilTime{y, mo, wd, d, h, mi, s}; }

std::string Zone(const CivilTime& local, const CivilTime& utc) {
    char z[8];
    FormatZone(local, utc, z, sizeof z);
    return z;
}

TEST(Stamps, ZoneEastWestAndAcrossMidnight) {
    EXPECT_EQ(Zone(At(1996, 11, 5, 8, 14, 3, 9), At(1996, 11, 5, 8, 13, 3, 9)), "+0100");
    EXPECT_EQ(Zone(At(1996, 11, 5, 8, 9, 0, 0), At(1996, 11, 5, 8, 14, 30, 0)), "-0530");
    // Local is the next day (east) or the previous day (west) of UTC.
    EXPECT_EQ(Zone(At(1996, 11, 6, 9, 1, 0, 0), At(1996, 11, 5, 8, 23, 0, 0)), "+0200");
    EXPECT_EQ(Zone(At(1996, 11, 5, 8, 23, 0, 0), At(1996, 11, 6, 9, 1, 0, 0)), "-0200");
    // Across a year boundary the year decides the order.
    EXPECT_EQ(Zone(At(1997, 1, 3, 1, 0, 30, 0), At(1996, 12, 2, 31, 23, 30, 0)), "+0100");
    EXPECT_EQ(Zone(At(1996, 12, 2, 31, 13, 0, 0), At(1997, 1, 3, 1, 0, 0, 0)), "-1100");
}

TEST(Stamps, UtcItselfCarriesASign) {
    EXPECT_EQ(Zone(At(2026, 12, 1, 7, 23, 5, 1), At(2026, 12, 1, 7, 23, 5, 59)), "+0000");
}

TEST(Stamps, DateMessageIdAndBoundary) {
    CivilTime local = At(1996, 11, 5, 8, 14, 3, 9);
    CivilTime utc = At(1996, 11, 5, 8, 13, 3, 9);
    char date[kDateCapacity], id[kMessageIdCapacity], boundary[kBoundaryCapacity];
    FormatDate(local, utc, date, sizeof date);
    FormatMessageId(local, "A", id, sizeof id);
    FormatBoundary(local, boundary, sizeof boundary);
    EXPECT_STREQ(date, "Fri, 08 Nov 1996 14:03:09 +0100");
    EXPECT_STREQ(id, "<14:03:09A>");
    EXPECT_STREQ(boundary, "ZENKBoundary-08Nov14:03");
    EXPECT_EQ(std::string(boundary).size(), 23u);
}

TEST(Stamps, LongestSenderFitsTheMessageId) {
    std::string sender(79, 's');
    char id[kMessageIdCapacity];
    FormatMessageId(At(2000, 1, 6, 1, 0, 0, 0), sender.c_str(), id, sizeof id);
    EXPECT_EQ(std::string(id), "<00:00:00" + sender + ">");
}

TEST(Stamps, OutOfRangeClockFieldsStayInTheirFields) {
    char date[kDateCapacity];
    FormatDate(At(123456, 13, 9, 31, 23, 59, 60), At(123456, 13, 9, 31, 23, 59, 60), date, sizeof date);
    EXPECT_EQ(std::string(date).size(), 31u);
    EXPECT_STREQ(date, "Sun, 31 Jan 3456 23:59:60 +0000");
}

}  // namespace
