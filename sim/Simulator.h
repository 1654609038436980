// The virtual KIV-2xx with its behaviours, ready to serve on its
// pseudo-terminal. Tests, benchmarks and kivtool use it in-process.
#pragma once

#include "CanBehaviour.h"
#include "EcuBehaviour.h"
#include "DeviceFaults.h"
#include "FirmwareBehaviour.h"
#include "KeyMapBehaviour.h"
#include "SettingsBehaviour.h"
#include "TrafficGenerator.h"
#include "VersionBehaviour.h"
#include "VirtualDevice.h"

namespace kivsim {

class Simulator {
public:
    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& path() const { return mDevice.path(); }
    VirtualDevice& device() { return mDevice; }
    CanBehaviour& can() { return mCan; }
    EcuBehaviour& ecu() { return mEcu; }
    VersionBehaviour& version() { return mVersion; }
    TrafficGenerator& traffic() { return mTraffic; }
    DeviceFaults& faults() { return mFaults; }
    KeyMapBehaviour& keyMap() { return mKeyMap; }
    SettingsBehaviour& settings() { return mSettings; }
    FirmwareBehaviour& firmware() { return mFirmware; }

private:
    VirtualDevice mDevice;
    CanBehaviour mCan;
    EcuBehaviour mEcu;
    VersionBehaviour mVersion;
    TrafficGenerator mTraffic;
    DeviceFaults mFaults;
    KeyMapBehaviour mKeyMap;   // answers the version check too, through the faults
    SettingsBehaviour mSettings;
    FirmwareBehaviour mFirmware;
};

} // namespace kivsim
