// How many MSG_CAN_RX frames per second the library takes from a
// pseudo-terminal into MESSAGE_STORE_EVENT without losing one.
//
// The virtual device generates traffic at rising rates; a consumer drains the
// event store the way the application does (sleeping 1 ms when it is empty)
// and checks the running numbers the frames carry.
//
// Usage: link_throughput [SECONDS_PER_RATE] [MAX_RATE]
#include "kiv/KIV.h"
#include "kiv/KIVCanRecord.h"

#include "Simulator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace KIVCommon;
using namespace std::chrono_literals;

namespace {

struct Result {
    double achieved = 0;       // frames per second that reached the store
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    std::uint64_t gaps = 0;    // running numbers missing in the store
    std::size_t maxFill = 0;
};

Result measure(CKIV* kiv, double rate, double seconds)
{
    kivsim::Simulator sim;
    if (kiv->connectUSB(sim.path().c_str()) != 0) {
        std::fprintf(stderr, "cannot connect to %s\n", sim.path().c_str());
        std::exit(1);
    }
    Result result;
    std::atomic<bool> stop{false};
    std::atomic<std::chrono::steady_clock::time_point> lastFrame{std::chrono::steady_clock::now()};
    std::thread consumer([&] {
        std::uint32_t expected = 0;
        while (!stop) {
            if (kiv->isMessageStoreEmpty(MESSAGE_STORE_EVENT)) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            const tKIVNGMessageData record = kiv->getRecievedMessage(MESSAGE_STORE_EVENT);
            tCanRecord can{};
            const std::size_t length = record.frameBytes[1] * 256 + record.frameBytes[2];
            if (!parseCanRecord(record.frameBytes + 3, length, can))
                continue;
            const std::uint32_t number = std::uint32_t(can.data[0]) << 24 | can.data[1] << 16 | can.data[2] << 8 | can.data[3];
            if (number != expected)
                result.gaps += number > expected ? number - expected : 1;
            expected = number + 1;
            ++result.received;
            lastFrame.store(std::chrono::steady_clock::now());
        }
    });

    const auto begin = std::chrono::steady_clock::now();
    sim.traffic().start({rate, 8, 3});
    while (std::chrono::steady_clock::now() - begin < std::chrono::duration<double>(seconds)) {
        std::this_thread::sleep_for(1ms);
    }
    sim.traffic().stop();
    const auto sendEnd = std::chrono::steady_clock::now();
    // Let the receive thread and the consumer catch up.
    while (std::chrono::steady_clock::now() - lastFrame.load() < 300ms)
        std::this_thread::sleep_for(10ms);
    stop = true;
    consumer.join();
    kiv->esDisconnectUSB();

    result.sent = sim.traffic().sent();
    result.achieved = result.received / std::chrono::duration<double>(sendEnd - begin).count();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const double maxRate = argc > 2 ? std::atof(argv[2]) : 400000;
    CKIV* kiv = CKIV::getInstance();

    std::printf("%12s %14s %12s %12s %8s\n", "target/s", "received/s", "sent", "received", "lost");
    double bestLossless = 0;
    bool lossSeen = false;
    for (double rate = 1000; rate <= maxRate; rate *= 2) {
        const Result r = measure(kiv, rate, seconds);
        const std::uint64_t lost = r.sent - std::min(r.sent, r.received) + r.gaps;
        std::printf("%12.0f %14.0f %12llu %12llu %8llu\n", rate, r.achieved, static_cast<unsigned long long>(r.sent),
                    static_cast<unsigned long long>(r.received), static_cast<unsigned long long>(lost));
        std::fflush(stdout);
        lossSeen = lossSeen || lost != 0;
        if (!lossSeen)
            bestLossless = r.achieved;
    }
    std::printf("lossless up to: %.0f frames/s (MSG_CAN_RX, DLC 8, both channels; the highest rate before the first loss)\n", bestLossless);
    kiv->vDeleteInstance();
    return 0;
}
