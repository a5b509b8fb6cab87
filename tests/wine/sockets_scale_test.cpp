// Many stream connections served at once on one thread: every byte of
// every connection arrives, in order, on the right connection, both ways.
#include <gtest/gtest.h>

#include <cstdio>

#include "stream_scale_run.h"
#include "zenk32.h"

namespace {

constexpr char kHost[] = "127.0.1.10";

TEST(StreamScale, ManyConnectionsOnOneThreadDeliverEveryByteInOrder) {
    ZENKInit();
    ASSERT_EQ(ZENKStartWinSock(0x0101), 1);
    struct Case {
        int connections;
        std::uint32_t bytesEachWay;
        std::uint32_t chunk;  // also every endpoint's buffer size
    } const cases[] = {
        {100, 1u << 20, 64 * 1024},  // the load the endpoints are built for
        {20, 256 * 1024, 7000},      // chunks that do not divide the stream
        {3, 512 * 1024, 1u << 20},   // chunks larger than the whole stream
    };
    int port = 47330;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.connections);
        streamscale::Result r = streamscale::RunScale({kHost, port++, c.connections, c.bytesEachWay, c.chunk, 120000});
        ASSERT_TRUE(r.ok) << r.failure;
        std::printf("%d connections, %u-byte chunks: %.1f MiB in %.3f s, %.2f ms per MiB, %.1f messages per MiB\n",
                    c.connections, c.chunk, r.mib, r.seconds, 1000 * r.seconds / r.mib, r.messages / r.mib);
    }
    EXPECT_EQ(ZENKEndWinSock(), 1);
}

}  // namespace
