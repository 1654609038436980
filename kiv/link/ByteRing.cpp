#include "link/ByteRing.h"

namespace kiv {

void CByteRing::vPush(std::uint8_t byte)
{
    std::lock_guard guard(mLock);
    mBytes[mWrite] = byte;
    mWrite = (mWrite + 1) % kCapacity;
    if (mCount == kCapacity)
        mRead = (mRead + 1) % kCapacity;
    else
        ++mCount;
}

bool CByteRing::bTake(std::uint8_t& byte)
{
    std::lock_guard guard(mLock);
    if (mCount == 0)
        return false;
    byte = mBytes[mRead];
    mRead = (mRead + 1) % kCapacity;
    --mCount;
    return true;
}

void CByteRing::vPutBack(const std::uint8_t* bytes, std::size_t count)
{
    std::lock_guard guard(mLock);
    for (std::size_t i = count; i-- > 0;) {
        if (mCount == kCapacity)
            return;
        mRead = (mRead + kCapacity - 1) % kCapacity;
        mBytes[mRead] = bytes[i];
        ++mCount;
    }
}

std::size_t CByteRing::size() const
{
    std::lock_guard guard(mLock);
    return mCount;
}

void CByteRing::vReset()
{
    std::lock_guard guard(mLock);
    mBytes.fill(0);
    mWrite = mRead = mCount = 0;
}

} // namespace kiv
