#pragma once

#include "trace/ZeroedArray.h"

#include <cstdint>

namespace kivplus {

// The order of message groups by their latest member, oldest first. Each group
// is represented by the view position of its latest member; a Fenwick tree over
// the positions gives "move to the end" and "the group at rank k" in
// O(log positions).
class GroupOrder {
public:
    // Room for positions 0 .. positions - 1; false when memory cannot be obtained.
    bool reset(int positions);
    void release();
    // A group whose latest member was at `from` (-1 for a new group) now has
    // its latest member at `to`, a position after every other.
    void moveToEnd(int from, int to);
    // The latest-member position of the group at rank k (0 = least recently
    // updated); -1 when there are not that many groups.
    int positionAt(int rank) const;
    int size() const { return size_; }

private:
    void change(int position, int delta);

    ZeroedArray<std::int32_t> tree_;
    int positions_ = 0;
    int size_ = 0;
    int highBit_ = 0;
};

} // namespace kivplus
