#include "Simulator.h"

namespace kivsim {

Simulator::Simulator()
    : mCan(mDevice)
    , mEcu(mDevice, mCan)
    , mVersion(mDevice)
    , mTraffic(mDevice)
{
    mDevice.start();
}

Simulator::~Simulator()
{
    mTraffic.stop();
    mDevice.stop();
}

} // namespace kivsim
