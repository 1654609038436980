#pragma once

#include "kiv/KIV.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kivplus {

// The most bytes one read collects from all the blocks of an answer.
inline constexpr std::size_t kMaxCollectedBytes = 4192;

enum class BlockResult {
    Complete,   // the last block (more-blocks flag 0) came
    Failed,     // a record of another type (or none) came instead of a block
    TooLarge,   // the blocks together exceed kMaxCollectedBytes
};

// The block loop of a data block read (the request was sent already): takes
// each block from nextAnswer, which waits for a frame of the answer type,
// appends its data (payload bytes 1 on; byte 0 is the more-blocks flag) and
// acknowledges it, until a block with the flag 0. On failure the bytes
// collected so far stay in data.
BlockResult receiveBlocks(std::uint8_t answerType, const std::function<KIVCommon::tKIVNGMessageData()>& nextAnswer,
                          const std::function<void()>& acknowledge, std::vector<std::uint8_t>& data);

} // namespace kivplus
