// Consecutive-frame pacing of the UDS transport: the gap between frames for
// each flow-control separation time, measured at the point the frames are
// handed to the device (no port involved). Prints figures; asserts nothing.
#include "uds/CCFUDSService.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace KIVCommon;
using Clock = std::chrono::steady_clock;

int main()
{
    constexpr std::size_t kFrames = 200;
    kiv::CMessageStores stores;
    std::vector<Clock::time_point> times;
    times.reserve(kFrames + 1);
    kiv::CCFUDSService service(
        [&](int, const tCANData&, int) {
            times.push_back(Clock::now());
            return true;
        },
        stores);

    tSPRequest request;
    std::memset(&request, 0, sizeof request);
    request.requestId = 0x7E0;
    request.responseId = 0x7E8;
    request.dataLength = static_cast<std::uint16_t>(6 + 7 * kFrames);

    std::printf("%-6s %10s %10s %10s %10s   (gap between consecutive frames, us; %zu frames)\n", "ST", "wanted",
                "min", "mean", "max", kFrames);
    for (std::uint8_t st : {0x00, 0xF1, 0xF2, 0xF5, 0xF9, 0x01, 0x05}) {
        times.clear();
        service.esSendRequest(0, request);
        service.esSendConsecutiveFrames(0, st);
        double minGap = 1e12, maxGap = 0, sum = 0;
        for (std::size_t i = 2; i < times.size(); ++i) {
            const double gap = std::chrono::duration<double, std::micro>(times[i] - times[i - 1]).count();
            minGap = std::min(minGap, gap);
            maxGap = std::max(maxGap, gap);
            sum += gap;
        }
        const unsigned wanted = st < 0x80 ? st * 1000u : (st & 0x0Fu) * 100u;
        std::printf("0x%02X   %10u %10.1f %10.1f %10.1f\n", st, wanted, minGap, sum / double(times.size() - 2), maxGap);
    }
    return 0;
}
