// The endpoints' packet queue and the stream send progress.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sockets/endpoint_memory.h"
#include "sockets/packet_queue.h"
#include "sockets/send_progress.h"

using zenk::PacketQueue;
using zenk::SendProgress;
using zenk::SocketAddress;

namespace {

SocketAddress Address(std::uint8_t tag) {
    SocketAddress a{};
    for (std::size_t i = 0; i < sizeof a.bytes; ++i) a.bytes[i] = static_cast<std::uint8_t>(tag + i);
    return a;
}

// Takes the head chunk (cut to maximum) with removal, as a read does.
std::string TakeHead(PacketQueue& q, std::uint32_t maximum, SocketAddress* address = nullptr) {
    q.Rewind();
    std::vector<char> buf(maximum + 1, '#');
    EXPECT_TRUE(q.Take(buf.data(), maximum, address, true));
    std::uint32_t copied = 0;
    while (copied < maximum && buf[copied] != '#') ++copied;
    EXPECT_EQ(buf[maximum], '#') << "wrote past the maximum";
    return std::string(buf.data(), copied);
}

TEST(PacketQueue, ChunksComeOutInArrivalOrderWithTheirAddresses) {
    PacketQueue q;
    EXPECT_TRUE(q.Append("first", 5, Address(1)));
    EXPECT_TRUE(q.Append("second", 6, Address(50)));
    EXPECT_TRUE(q.Append("third", 5, Address(100)));
    EXPECT_EQ(q.Count(), 3u);
    SocketAddress got{};
    EXPECT_EQ(TakeHead(q, 64, &got), "first");
    EXPECT_EQ(std::memcmp(got.bytes, Address(1).bytes, sizeof got.bytes), 0);
    EXPECT_EQ(TakeHead(q, 64, &got), "second");
    EXPECT_EQ(std::memcmp(got.bytes, Address(50).bytes, sizeof got.bytes), 0);
    EXPECT_EQ(TakeHead(q, 64), "third");
    EXPECT_TRUE(q.Empty());
}

TEST(PacketQueue, PeekAndTakeFollowTheCursor) {
    PacketQueue q;
    std::uint32_t length = 99;
    q.Rewind();
    EXPECT_FALSE(q.Peek(&length));
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(q.Take(nullptr, 0, nullptr, true));

    q.Append("abc", 3, {});
    q.Append("defgh", 5, {});
    q.Rewind();
    EXPECT_TRUE(q.Peek(&length));
    EXPECT_EQ(length, 3u);
    char buf[8] = {};
    // Without removal the chunk stays and the cursor moves on.
    EXPECT_TRUE(q.Take(buf, sizeof buf, nullptr, false));
    EXPECT_STREQ(buf, "abc");
    EXPECT_TRUE(q.Peek(&length));
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(q.Count(), 2u);
    // Removing the second (the tail) through the cursor keeps the head.
    EXPECT_TRUE(q.Take(nullptr, 0, nullptr, true));
    EXPECT_FALSE(q.Peek(&length));
    EXPECT_EQ(q.Count(), 1u);
    EXPECT_EQ(TakeHead(q, 8), "abc");
}

TEST(PacketQueue, ATakeCopiesAtMostTheMaximumAndDiscardsTheRest) {
    PacketQueue q;
    std::string big(600, 'x');
    big[99] = 'y';
    q.Append(big.data(), 600, {});
    q.Append("next", 4, {});
    std::string part = TakeHead(q, 100);
    EXPECT_EQ(part.size(), 100u);
    EXPECT_EQ(part.back(), 'y');
    EXPECT_EQ(TakeHead(q, 100), "next");  // the other 500 bytes are gone
}

TEST(PacketQueue, EmptyChunksAreRealChunks) {
    PacketQueue q;
    EXPECT_TRUE(q.Append(nullptr, 0, Address(7)));
    EXPECT_TRUE(q.Append("after", 5, {}));
    q.Rewind();
    std::uint32_t length = 99;
    EXPECT_TRUE(q.Peek(&length));
    EXPECT_EQ(length, 0u);
    SocketAddress got{};
    EXPECT_TRUE(q.Take(nullptr, 0, &got, true));
    EXPECT_EQ(got.bytes[0], 7);
    EXPECT_EQ(TakeHead(q, 16), "after");
}

TEST(PacketQueue, RefusesNullDataWithALength) {
    PacketQueue q;
    EXPECT_FALSE(q.Append(nullptr, 10, {}));
    EXPECT_TRUE(q.Empty());
}

TEST(PacketQueue, TakeIntoNullDestinationCopiesNothing) {
    PacketQueue q;
    q.Append("data", 4, {});
    q.Rewind();
    EXPECT_TRUE(q.Take(nullptr, 4, nullptr, true));  // dropped, not written anywhere
    EXPECT_TRUE(q.Empty());
}

// Fails every allocation from the n-th on (counting from 1); 0 = never.
int g_failFrom = 0;
int g_allocations = 0;
void* FailingAllocate(std::size_t bytes) {
    ++g_allocations;
    if (g_failFrom && g_allocations >= g_failFrom) return nullptr;
    return zenk::RealMemoryApi().allocate(bytes);
}

class QueueOutOfMemory : public ::testing::Test {
protected:
    void SetUp() override {
        g_allocations = 0;
        zenk::Mem().allocate = FailingAllocate;
    }
    void TearDown() override { zenk::Mem() = zenk::RealMemoryApi(); }
};

TEST_F(QueueOutOfMemory, AFailedAppendChangesNothing) {
    PacketQueue q;
    q.Append("keep", 4, {});
    for (int failAt : {1, 2}) {  // the element, then the data copy
        g_allocations = 0;
        g_failFrom = failAt;
        EXPECT_FALSE(q.Append("lost", 4, {})) << failAt;
        g_failFrom = 0;
        EXPECT_EQ(q.Count(), 1u);
    }
    EXPECT_EQ(TakeHead(q, 8), "keep");
    EXPECT_TRUE(q.Append("again", 5, {}));
    EXPECT_EQ(TakeHead(q, 8), "again");
}

TEST(PacketQueue, ClearFreesEverything) {
    PacketQueue q;
    for (int i = 0; i < 100; ++i) q.Append("chunk", 5, {});
    q.Rewind();
    q.Clear();
    EXPECT_TRUE(q.Empty());
    std::uint32_t length = 1;
    EXPECT_FALSE(q.Peek(&length));  // the cursor does not dangle
    q.Append("x", 1, {});
    EXPECT_EQ(TakeHead(q, 4), "x");
}

TEST(SendProgress, AWholeSendCompletesTheChunk) {
    SendProgress p;
    EXPECT_FALSE(p.InProgress());
    SendProgress::Step s = p.Next(1024);
    EXPECT_EQ(s.offset, 0u);
    EXPECT_EQ(s.length, 1024u);
    EXPECT_TRUE(p.Advance(1024));
    EXPECT_FALSE(p.InProgress());
}

TEST(SendProgress, PartialSendsResumeWhereTheyStopped) {
    SendProgress p;
    p.Next(1024);
    EXPECT_FALSE(p.Advance(600));
    EXPECT_TRUE(p.InProgress());
    EXPECT_EQ(p.SentOffset(), 600u);
    EXPECT_EQ(p.PendingLength(), 424u);
    SendProgress::Step s = p.Next(1024);  // the same head chunk on the next FD_WRITE
    EXPECT_EQ(s.offset, 600u);
    EXPECT_EQ(s.length, 424u);
    EXPECT_FALSE(p.Advance(24));
    s = p.Next(1024);
    EXPECT_EQ(s.offset, 624u);
    EXPECT_EQ(s.length, 400u);
    EXPECT_TRUE(p.Advance(400));
    // The next chunk starts from its beginning.
    s = p.Next(10);
    EXPECT_EQ(s.offset, 0u);
    EXPECT_EQ(s.length, 10u);
}

TEST(SendProgress, AResetForgetsTheChunk) {
    SendProgress p;
    p.Next(100);
    p.Advance(40);
    p.Reset();
    SendProgress::Step s = p.Next(100);
    EXPECT_EQ(s.offset, 0u);
    EXPECT_EQ(s.length, 100u);
}

TEST(SendProgress, EmptyChunkCompletesWithAnEmptySend) {
    SendProgress p;
    SendProgress::Step s = p.Next(0);
    EXPECT_EQ(s.length, 0u);
    EXPECT_TRUE(p.Advance(0));
}

TEST(SendProgress, AnOverreportedSendNeverRunsPastTheChunk) {
    SendProgress p;
    p.Next(50);
    EXPECT_TRUE(p.Advance(5000));
    EXPECT_FALSE(p.InProgress());
    EXPECT_FALSE(p.Advance(1));  // nothing in progress: nothing completes
}

}  // namespace
