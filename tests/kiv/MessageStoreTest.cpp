// The two stores of received records.
#include "link/MessageStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

using namespace KIVCommon;

namespace {

tKIVNGMessageData numbered(std::uint32_t n)
{
    tKIVNGMessageData record;
    std::memset(&record, 0, sizeof record);
    record.frameBytes[0] = 0xF1;
    std::memcpy(record.frameBytes + 3, &n, sizeof n);
    return record;
}

std::uint32_t numberOf(const tKIVNGMessageData& record)
{
    std::uint32_t n = 0;
    std::memcpy(&n, record.frameBytes + 3, sizeof n);
    return n;
}

TEST(MessageStore, EmptyStoreYieldsAnAllZeroRecord)
{
    kiv::CMessageStore store;
    EXPECT_TRUE(store.bIsEmpty());
    const tKIVNGMessageData record = store.take();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof record, [](unsigned char b) { return b == 0; }));
}

TEST(MessageStore, OverflowKeepsTheLast4192InOrder)
{
    kiv::CMessageStore store;
    for (std::uint32_t n = 0; n < 4193; ++n)
        store.vAppend(numbered(n));
    EXPECT_EQ(store.size(), 4192u);
    for (std::uint32_t n = 1; n <= 4192; ++n)
        ASSERT_EQ(numberOf(store.take()), n);
    EXPECT_TRUE(store.bIsEmpty());

    // The ring keeps working after wrapping.
    store.vAppend(numbered(7));
    EXPECT_EQ(numberOf(store.take()), 7u);
}

TEST(MessageStore, ConcurrentWriterAndReaderLoseNothingBelowCapacity)
{
    kiv::CMessageStore store;
    constexpr std::uint32_t kCount = 20000;
    std::thread writer([&] {
        for (std::uint32_t n = 0; n < kCount; ++n) {
            while (store.size() >= 4000)
                std::this_thread::yield();
            store.vAppend(numbered(n));
        }
    });
    std::uint32_t expected = 0;
    while (expected < kCount) {
        if (store.bIsEmpty()) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(numberOf(store.take()), expected);
        ++expected;
    }
    writer.join();
}

} // namespace
