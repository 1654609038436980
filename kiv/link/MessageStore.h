// A store of received records: a ring of 4192 tKIVNGMessageData, allocated
// once. A full store loses its oldest record on append.
#pragma once

#include "kiv/KIV.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace kiv {

class CMessageStore {
public:
    static constexpr std::size_t kCapacity = 4192;

    CMessageStore();
    CMessageStore(const CMessageStore&) = delete;
    CMessageStore& operator=(const CMessageStore&) = delete;

    void vAppend(const KIVCommon::tKIVNGMessageData& record);
    // Takes the oldest record; an empty store yields an all-zero record.
    KIVCommon::tKIVNGMessageData take();
    bool bIsEmpty() const { return mCount.load(std::memory_order_acquire) < 1; }
    std::size_t size() const { return mCount.load(std::memory_order_acquire); }

private:
    std::mutex mLock;
    struct FreeSlots {
        void operator()(KIVCommon::tKIVNGMessageData* slots) const { std::free(slots); }
    };
    std::unique_ptr<KIVCommon::tKIVNGMessageData[], FreeSlots> mSlots;
    std::size_t mWrite = 0;
    std::size_t mRead = 0;
    std::atomic<std::size_t> mCount{0};
};

// The two stores, indexed by MESSAGE_STORE_TYPE.
struct CMessageStores {
    CMessageStore response;
    CMessageStore event;

    CMessageStore& operator[](KIVCommon::MESSAGE_STORE_TYPE type)
    {
        return type == KIVCommon::MESSAGE_STORE_EVENT ? event : response;
    }
};

} // namespace kiv
