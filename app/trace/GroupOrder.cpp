#include "trace/GroupOrder.h"

namespace kivplus {

bool GroupOrder::reset(int positions)
{
    if (tree_ && positions_ == positions) {
        for (int i = 0; i <= positions_; ++i)
            tree_[std::size_t(i)] = 0;
    } else {
        tree_ = ZeroedArray<std::int32_t>(std::size_t(positions) + 1);
        positions_ = tree_ ? positions : 0;
    }
    size_ = 0;
    highBit_ = 1;
    while (highBit_ * 2 <= positions_)
        highBit_ *= 2;
    return bool(tree_);
}

void GroupOrder::release()
{
    tree_ = {};
    positions_ = 0;
    size_ = 0;
}

void GroupOrder::change(int position, int delta)
{
    for (int i = position + 1; i <= positions_; i += i & -i)
        tree_[std::size_t(i)] += delta;
}

void GroupOrder::moveToEnd(int from, int to)
{
    if (to < 0 || to >= positions_)
        return;
    if (from >= 0 && from < positions_)
        change(from, -1);
    else
        ++size_;
    change(to, +1);
}

int GroupOrder::positionAt(int rank) const
{
    if (rank < 0 || rank >= size_)
        return -1;
    // Find the smallest position whose prefix count exceeds rank.
    int index = 0;
    int remaining = rank + 1;
    for (int step = highBit_; step > 0; step /= 2) {
        const int next = index + step;
        if (next <= positions_ && tree_[std::size_t(next)] < remaining) {
            index = next;
            remaining -= tree_[std::size_t(next)];
        }
    }
    return index;   // tree index index + 1 holds the found position
}

} // namespace kivplus
