#include "trace/CListQueue.h"

namespace kivplus {

void CListQueue::push(std::unique_ptr<CTraceData> record)
{
    std::lock_guard guard(lock_);
    list_.push_back(std::move(record));
}

std::unique_ptr<CTraceData> CListQueue::pop()
{
    std::lock_guard guard(lock_);
    if (list_.empty())
        return nullptr;
    auto record = std::move(list_.front());
    list_.pop_front();
    return record;
}

bool CListQueue::isEmpty() const
{
    std::lock_guard guard(lock_);
    return list_.empty();
}

std::size_t CListQueue::count() const
{
    std::lock_guard guard(lock_);
    return list_.size();
}

void CListQueue::clear()
{
    std::lock_guard guard(lock_);
    list_.clear();
}

} // namespace kivplus
