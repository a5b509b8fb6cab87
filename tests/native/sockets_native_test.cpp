// The endpoints' packet queue and the stream send progress.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/endpoint_memory.h"
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

    ASSERT_TRUE(q.Append("abc", 3, {}));
    ASSERT_TRUE(q.Append("defgh", 5, {}));
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
    ASSERT_TRUE(q.Append(big.data(), 600, {}));
    ASSERT_TRUE(q.Append("next", 4, {}));
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
    ASSERT_TRUE(q.Append("data", 4, {}));
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
    ASSERT_TRUE(q.Append("keep", 4, {}));
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
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(q.Append("chunk", 5, {}));
    q.Rewind();
    q.Clear();
    EXPECT_TRUE(q.Empty());
    std::uint32_t length = 1;
    EXPECT_FALSE(q.Peek(&length));  // the cursor does not dangle
    ASSERT_TRUE(q.Append("x", 1, {}));
    EXPECT_EQ(TakeHead(q, 4), "x");
}

// Tracks every block the queue holds through Mem(): how many bytes are
// live, and how many large blocks were ever allocated.
std::map<void*, std::size_t> g_live;
std::size_t g_largeAllocations = 0;
bool g_refuse = false;
void* TrackingAllocate(std::size_t bytes) {
    if (g_refuse) return nullptr;
    void* block = zenk::RealMemoryApi().allocate(bytes);
    if (block) g_live[block] = bytes;
    if (bytes >= PacketQueue::kSpareMinimum) ++g_largeAllocations;
    return block;
}
void TrackingRelease(void* block) {
    if (block) g_live.erase(block);
    zenk::RealMemoryApi().release(block);
}

class QueueBlocks : public ::testing::Test {
protected:
    void SetUp() override {
        g_live.clear();
        g_largeAllocations = 0;
        g_refuse = false;
        zenk::Mem() = {TrackingAllocate, TrackingRelease};
    }
    void TearDown() override {
        zenk::Mem() = zenk::RealMemoryApi();
        g_live.clear();
    }
    static std::size_t LiveBytes() {
        std::size_t n = 0;
        for (const auto& [block, bytes] : g_live) n += bytes;
        return n;
    }
    // A block allocated as a caller's staging buffer would be, filled with
    // `length` bytes of the pattern starting at `seed`.
    // Takes the head chunk whole (its length known from Peek).
    static std::string TakeWhole(PacketQueue& q) {
        q.Rewind();
        std::uint32_t length = 0;
        EXPECT_TRUE(q.Peek(&length));
        std::string out(length, '\0');
        EXPECT_TRUE(q.Take(out.data(), length, nullptr, true));
        return out;
    }
    static std::uint8_t* Staging(std::uint32_t capacity, std::uint32_t length, unsigned seed) {
        auto* block = static_cast<std::uint8_t*>(zenk::Mem().allocate(capacity));
        for (std::uint32_t i = 0; i < length; ++i) block[i] = static_cast<std::uint8_t>(seed + i * 7);
        return block;
    }
};

constexpr std::uint32_t kLarge = PacketQueue::kSpareMinimum;

// Which chunks travel in their caller's block and which are copied.
TEST_F(QueueBlocks, AnInPlaceAppendTakesOnlyBlocksItFillsAtLeastHalf) {
    struct Case {
        std::uint32_t capacity, length;
        bool taken;  // the queue keeps the block itself
    } const cases[] = {
        {kLarge, kLarge, true},          {kLarge * 4, kLarge * 2, true},
        {kLarge * 4, kLarge * 2 - 1, false}, {kLarge - 2, kLarge - 2, false},  // small: copied
        {kLarge * 2, 0, false},           {kLarge * 2, 1, false},
    };
    for (const Case& c : cases) {
        PacketQueue q;
        std::uint8_t* block = Staging(c.capacity, c.length, c.length);
        std::uint8_t* const original = block;
        ASSERT_TRUE(q.AppendInPlace(&block, c.capacity, c.length, Address(3))) << c.length;
        q.Rewind();
        std::uint32_t length = 0;
        const std::uint8_t* data = nullptr;
        ASSERT_TRUE(q.Peek(&length, &data));
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(data == original, c.taken) << c.capacity << "/" << c.length;
        EXPECT_EQ(block != original, c.taken);
        ASSERT_NE(block, nullptr);
        EXPECT_GE(g_live[block], c.capacity) << "the block handed back is smaller";
        std::vector<std::uint8_t> out(c.length + 1);
        SocketAddress from{};
        ASSERT_TRUE(q.Take(out.data(), c.length, &from, true));
        for (std::uint32_t i = 0; i < c.length; ++i)
            ASSERT_EQ(out[i], static_cast<std::uint8_t>(c.length + i * 7)) << i;
        EXPECT_EQ(from.bytes[0], 3);
        zenk::Mem().release(block);
    }
    EXPECT_EQ(LiveBytes(), 0u);
}

// Streaming large chunks through a queue reuses its one spare block: no
// fresh large block per chunk, in either direction.
TEST_F(QueueBlocks, AStreamOfLargeChunksReusesOneSpareBlock) {
    PacketQueue sendQueue, receiveQueue;
    std::vector<char> data(1 << 20, 'd');
    std::uint8_t* staging = Staging(1 << 20, 0, 0);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(sendQueue.Append(data.data(), 1 << 20, {}));
        ASSERT_TRUE(receiveQueue.AppendInPlace(&staging, 1 << 20, (1 << 20) - i * 1000, {}));
        sendQueue.Rewind();
        receiveQueue.Rewind();
        ASSERT_TRUE(sendQueue.Take(nullptr, 0, nullptr, true));
        ASSERT_TRUE(receiveQueue.Take(data.data(), 1 << 20, nullptr, true));
    }
    EXPECT_LE(g_largeAllocations, 4u);  // the staging buffer, one block per queue, one spare
    // Only the spares and the staging buffer are left, and Clear frees the spares.
    sendQueue.Clear();
    receiveQueue.Clear();
    EXPECT_EQ(LiveBytes(), g_live[staging]);
    zenk::Mem().release(staging);
}

TEST_F(QueueBlocks, AnInPlaceAppendWithoutMemoryChangesNothing) {
    PacketQueue q;
    std::uint8_t* block = Staging(kLarge, kLarge, 1);
    std::uint8_t* const original = block;
    ASSERT_TRUE(q.Append("keep", 4, {}));
    g_refuse = true;
    EXPECT_FALSE(q.AppendInPlace(&block, kLarge, kLarge, {}));
    EXPECT_FALSE(q.AppendInPlace(&block, kLarge, 10, {}));  // the copying path, too
    g_refuse = false;
    EXPECT_EQ(block, original);
    EXPECT_EQ(q.Count(), 1u);
    EXPECT_FALSE(q.AppendInPlace(&block, kLarge, kLarge + 1, {}));  // more than the block holds
    EXPECT_FALSE(q.AppendInPlace(nullptr, kLarge, 1, {}));
    EXPECT_EQ(TakeHead(q, 8), "keep");
    zenk::Mem().release(block);
}

// Random appends (copied and in place) and takes of many sizes against a
// model: every chunk comes out whole, in order, and the queue never holds
// more than twice its chunks' bytes plus its bounded spares.
TEST_F(QueueBlocks, RandomTrafficKeepsOrderAndBoundsMemory) {
    const std::uint32_t sizes[] = {0, 1, 700, kLarge - 1, kLarge, kLarge + 5000, 3 * kLarge, 5 * kLarge};
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 rng(seed);
        PacketQueue q;
        std::deque<std::string> model;
        std::uint32_t biggest = 0;
        std::uint8_t* staging = nullptr;
        std::uint32_t stagingCapacity = 0;
        for (int step = 0; step < 400; ++step) {
            std::uint32_t length = sizes[rng() % (sizeof sizes / sizeof sizes[0])];
            // Random words rather than random bytes: the same disorder, a
            // quarter of the generator calls (the chunks reach megabytes).
            std::string chunk(length, '\0');
            for (std::uint32_t i = 0; i < length; i += 4) {
                const std::uint32_t word = rng();
                std::memcpy(&chunk[i], &word, std::min<std::uint32_t>(4, length - i));
            }
            switch (rng() % 3) {
            case 0:
                ASSERT_TRUE(q.Append(chunk.data(), length, {}));
                model.push_back(chunk);
                break;
            case 1: {
                if (stagingCapacity < length || !staging) {
                    zenk::Mem().release(staging);
                    stagingCapacity = length + length / 3 + 1;
                    staging = static_cast<std::uint8_t*>(zenk::Mem().allocate(stagingCapacity));
                }
                if (length) std::memcpy(staging, chunk.data(), length);
                ASSERT_TRUE(q.AppendInPlace(&staging, stagingCapacity, length, {}));
                model.push_back(chunk);
                break;
            }
            default:
                if (model.empty()) break;
                ASSERT_TRUE(TakeWhole(q) == model.front()) << "seed " << seed << " step " << step;
                model.pop_front();
            }
            biggest = std::max(biggest, std::max(length, stagingCapacity));
            std::size_t bound = g_live.count(staging) ? g_live[staging] : 0;
            bound += std::max<std::size_t>(PacketQueue::kMaxSpareBytes, biggest);  // the spares
            for (const std::string& c : model) bound += std::max<std::size_t>(2 * c.size(), 1) + 128;
            ASSERT_LE(LiveBytes(), bound) << "seed " << seed << " step " << step;
        }
        ASSERT_EQ(q.Count(), model.size());
        while (!model.empty()) {
            ASSERT_TRUE(TakeWhole(q) == model.front());
            model.pop_front();
        }
        zenk::Mem().release(staging);
        q.Clear();
        EXPECT_EQ(LiveBytes(), 0u) << "seed " << seed;
    }
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
