#include "link/MessageStore.h"

#include <cstring>

namespace kiv {

CMessageStore::CMessageStore()
    : mSlots(new KIVCommon::tKIVNGMessageData[kCapacity]())
{
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
