// The download sequence file: a header line, then one step per line of
// comma-separated fields (functional flag, extension flag, address extension,
// data length, request bytes, expected response identifier, expected bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

constexpr std::uint8_t kNoResponseExpected = 0xFF;

struct tUdsStep {
    std::uint8_t functional = 0;
    std::uint8_t extension = 0;
    std::uint8_t addressExtension = 0;
    std::uint8_t dataLength = 0;
    std::uint8_t request[8]{};          // service identifier first
    std::uint8_t expectedService = kNoResponseExpected;
    std::uint8_t expected[8]{};
};

// Reads every step of a sequence file's text. False with a message naming the
// line when a step line lacks a field or no step is found.
bool parseSequenceText(std::string_view text, std::vector<tUdsStep>& steps, std::string& error);

// The same for a file; false also when it cannot be read or is unreasonably large.
bool loadSequenceFile(const char* path, std::vector<tUdsStep>& steps, std::string& error);

} // namespace kiv
