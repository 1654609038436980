// The virtual KIV-2xx with its behaviours, ready to serve on its
// pseudo-terminal. Tests, benchmarks and kivtool use it in-process.
#pragma once

#include "CanBehaviour.h"
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
    VersionBehaviour& version() { return mVersion; }
    TrafficGenerator& traffic() { return mTraffic; }

private:
    VirtualDevice mDevice;
    CanBehaviour mCan;
    VersionBehaviour mVersion;
    TrafficGenerator mTraffic;
};

} // namespace kivsim
