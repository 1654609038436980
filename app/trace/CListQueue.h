#pragma once

#include "trace/CTraceData.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

namespace kivplus {

// The locked first-in first-out list between the trace conversion and
// distribution threads. Whoever pops a record owns it.
class CListQueue {
public:
    void push(std::unique_ptr<CTraceData> record);
    std::unique_ptr<CTraceData> pop();   // null when empty
    bool isEmpty() const;
    std::size_t count() const;
    void clear();                        // drops every queued record

private:
    mutable std::mutex lock_;
    std::deque<std::unique_ptr<CTraceData>> list_;
};

} // namespace kivplus
