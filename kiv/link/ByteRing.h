// The receive byte ring: 4192 bytes between the port reads and the splitter.
// Every operation takes the ring's lock for itself only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kiv {

class CByteRing {
public:
    static constexpr std::size_t kCapacity = 4192;

    // Appends one byte; when the ring is full the oldest byte is dropped.
    void vPush(std::uint8_t byte);
    // Takes the oldest byte; false when the ring is empty.
    bool bTake(std::uint8_t& byte);
    // Puts count bytes back at the front, first byte first, moving the read
    // position backwards. The bytes must be the ones just taken.
    void vPutBack(const std::uint8_t* bytes, std::size_t count);
    std::size_t size() const;
    // Positions and count to 0, storage zeroed.
    void vReset();

private:
    mutable std::mutex mLock;
    std::array<std::uint8_t, kCapacity> mBytes{};
    std::size_t mWrite = 0;
    std::size_t mRead = 0;
    std::size_t mCount = 0;
};

} // namespace kiv
