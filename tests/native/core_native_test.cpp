// Error texts, address lists and the byte search of the library frame.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/address_list.h"
#include "core/byte_search.h"
#include "core/check.h"
#include "core/error_text.h"

using zenk::FormatAddressList;
using zenk::FormatErrorText;

namespace {

std::string Text(int code) {
    char buf[zenk::kErrorTextCapacity];
    std::memset(buf, 'x', sizeof buf);
    return FormatErrorText(code, buf, sizeof buf);
}

TEST(ErrorText, LibraryCodesReplaceThePrefix) {
    EXPECT_EQ(Text(0), "No error at this time");
    EXPECT_EQ(Text(1), "General Win32 API/Programming error");
    EXPECT_EQ(Text(2), "Low Memory : Unable to allocate memory");
    EXPECT_EQ(Text(3), "Programmer passed illegal/bad value");
    EXPECT_EQ(Text(4), "A non-server socket cannot accept a connection");
}

TEST(ErrorText, WinSockCodesFollowThePrefix) {
    EXPECT_EQ(Text(10061), "WinSock error 10061: Connection refused");
    EXPECT_EQ(Text(11001), "WinSock error 11001: Host not found");
    EXPECT_EQ(Text(10004), "WinSock error 10004: Interrupted system call");
    EXPECT_EQ(Text(10071), "WinSock error 10071: Too many levels of remote in path");
    EXPECT_EQ(Text(11004), "WinSock error 11004: Valid name, no data record of requested type");
}

TEST(ErrorText, LongestTextFitsExactly) {
    std::string t = Text(10092);
    EXPECT_EQ(t, "WinSock error 10092: WinSock DLL version cannot support this application");
    EXPECT_EQ(t.size(), 72u);
}

TEST(ErrorText, EverythingElseIsNotAWinSockError) {
    for (int code : {-5, -1, 5, 10000, 10072, 10080, 10090, 10094, 11000, 11005, 99999})
        EXPECT_EQ(Text(code), "Not a WinSock error [Application Error]") << code;
}

TEST(ErrorText, SmallBufferIsCutAndTerminated) {
    char buf[10];
    FormatErrorText(10061, buf, sizeof buf);
    EXPECT_STREQ(buf, "WinSock e");
    EXPECT_EQ(FormatErrorText(3, nullptr, 73), nullptr);
}

TEST(AddressList, JoinsWithPlusAndClearsTheBuffer) {
    const std::uint8_t addrs[][4] = {{10, 0, 0, 1}, {192, 168, 200, 254}};
    char buf[zenk::kAddressListCapacity];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(FormatAddressList(addrs, 2, buf), 2u);
    EXPECT_STREQ(buf, "10.0.0.1+192.168.200.254");
    for (std::size_t i = std::strlen(buf); i < sizeof buf; ++i) ASSERT_EQ(buf[i], 0) << i;
}

TEST(AddressList, EmptyHostGivesEmptyText) {
    char buf[zenk::kAddressListCapacity];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(FormatAddressList(nullptr, 0, buf), 0u);
    EXPECT_STREQ(buf, "");
}

TEST(AddressList, CutAtAWholeAddress) {
    // 15 characters each; 8 of them with 7 pluses make 127 characters.
    std::uint8_t addrs[12][4];
    for (auto& a : addrs) { a[0] = 200; a[1] = 201; a[2] = 202; a[3] = 203; }
    char buf[zenk::kAddressListCapacity + 8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(FormatAddressList(addrs, 12, buf, zenk::kAddressListCapacity), 8u);
    EXPECT_EQ(std::strlen(buf), 127u);
    EXPECT_EQ(std::string(buf).substr(111), "+200.201.202.203");
    EXPECT_EQ(buf[zenk::kAddressListCapacity], 'x');  // nothing written past the capacity
    // One byte less: the eighth address no longer fits.
    EXPECT_EQ(FormatAddressList(addrs, 12, buf, zenk::kAddressListCapacity - 1), 7u);
    EXPECT_EQ(std::strlen(buf), 111u);
}

// The word-at-a-time search finds exactly what memchr finds, at every
// alignment and length, for the searched byte and for its neighbours in
// value (the borrow of the zero-byte test is where such searches go wrong).
TEST(FindByte, AgreesWithMemchrAtEveryOffsetAndLength) {
    std::mt19937 random(7);
    for (unsigned char target : {'\n', '\0', '\x80', '\xff', '\x01'}) {
        std::vector<unsigned char> data(96);
        for (int round = 0; round < 40; ++round) {
            const unsigned char near[] = {static_cast<unsigned char>(target - 1), target,
                                          static_cast<unsigned char>(target + 1), 0x80, 0x7f, 0x00};
            for (auto& byte : data) byte = random() % 3 == 0 ? near[random() % 6] : static_cast<unsigned char>(random());
            for (std::size_t from = 0; from < 16; ++from)
                for (std::size_t length = 0; from + length <= data.size(); ++length) {
                    const void* expected = std::memchr(data.data() + from, target, length);
                    ASSERT_EQ(expected, zenk::FindByte(data.data() + from, length, target))
                        << "byte " << int(target) << " from " << from << " length " << length;
                }
        }
    }
}

}  // namespace

// The engines' invariants are live in this build: a broken one stops the
// program where it breaks, naming the condition.
TEST(InvariantCheck, StopsTheNativeBuildAtTheBrokenCondition) {
    int finalZeros = 2;
    ZENK_CHECK(finalZeros >= 1);  // holds: nothing happens
    EXPECT_DEATH(ZENK_CHECK(finalZeros == 1), "invariant broken: finalZeros == 1");
}
