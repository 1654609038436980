#include "Simulator.h"

namespace kivsim {

Simulator::Simulator()
    : mCan(mDevice)
    , mEcu(mDevice, mCan)
    , mVersion(mDevice)
    , mTraffic(mDevice)
    , mKeyMap(mDevice, mFaults, mVersion)
    , mSettings(mDevice, mFaults)
    , mFirmware(mDevice, mFaults)
{
    mDevice.start();
}

Simulator::~Simulator()
{
    mTraffic.stop();
    mDevice.stop();
}

} // namespace kivsim
