#include "link/MessageStore.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace kiv {

static_assert(std::is_trivially_copyable_v<KIVCommon::tKIVNGMessageData>);

// calloc: the zeroed slots cost no memory until records are written to them.
CMessageStore::CMessageStore()
    : mSlots(static_cast<KIVCommon::tKIVNGMessageData*>(std::calloc(kCapacity, sizeof(KIVCommon::tKIVNGMessageData))))
{
    if (!mSlots)
        throw std::bad_alloc();
}

void CMessageStore::vAppend(const KIVCommon::tKIVNGMessageData& record)
{
    std::lock_guard guard(mLock);
    std::memcpy(&mSlots[mWrite], &record, sizeof record);
    mWrite = (mWrite + 1) % kCapacity;
    if (mCount.load(std::memory_order_relaxed) == kCapacity)
        mRead = (mRead + 1) % kCapacity;
    else
        mCount.fetch_add(1, std::memory_order_release);
}

KIVCommon::tKIVNGMessageData CMessageStore::take()
{
    KIVCommon::tKIVNGMessageData record;
    std::lock_guard guard(mLock);
    if (mCount.load(std::memory_order_relaxed) == 0) {
        std::memset(&record, 0, sizeof record);
        return record;
    }
    std::memcpy(&record, &mSlots[mRead], sizeof record);
    mRead = (mRead + 1) % kCapacity;
    mCount.fetch_sub(1, std::memory_order_release);
    return record;
}

} // namespace kiv
