// Stand-in security-access algorithm: any 32-bit seed to a 32-bit key.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::uint32_t SWP_bsseedsi_crypt_si_key(std::uint32_t seed)
{
    std::uint32_t key = seed ^ 0x5A3C96E1u;
    key = key << 7 | key >> 25;
    return key + 0x01234567u;
}
