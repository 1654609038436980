#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <type_traits>

namespace kivplus {

// A fixed-size array of plain records obtained zero-filled from the system, so
// that large capacities cost nothing until used. Large arrays are mapped
// directly and asked for huge pages, which spares most page faults when they
// fill. Empty when memory could not be obtained.
template <typename T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>);
    static constexpr std::size_t kMapThreshold = 4u << 20;

public:
    ZeroedArray() = default;
    explicit ZeroedArray(std::size_t size)
    {
        if (size == 0 || size > SIZE_MAX / sizeof(T))
            return;
        bytes_ = size * sizeof(T);
        if (bytes_ >= kMapThreshold) {
            void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p == MAP_FAILED)
                return;
            madvise(p, bytes_, MADV_HUGEPAGE);
            data_ = static_cast<T*>(p);
        } else {
            data_ = static_cast<T*>(std::calloc(size, sizeof(T)));
        }
        size_ = data_ ? size : 0;
    }
    ~ZeroedArray() { release(); }
    ZeroedArray(ZeroedArray&& other) noexcept { take(other); }
    ZeroedArray& operator=(ZeroedArray&& other) noexcept
    {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    ZeroedArray(const ZeroedArray&) = delete;
    ZeroedArray& operator=(const ZeroedArray&) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    std::size_t size() const { return size_; }
    T* data() { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }

private:
    void release()
    {
        if (data_ && bytes_ >= kMapThreshold)
            munmap(data_, bytes_);
        else
            std::free(data_);
        data_ = nullptr;
        size_ = 0;
        bytes_ = 0;
    }
    void take(ZeroedArray& other)
    {
        data_ = other.data_;
        size_ = other.size_;
        bytes_ = other.bytes_;
        other.data_ = nullptr;
        other.size_ = 0;
        other.bytes_ = 0;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t bytes_ = 0;
};

} // namespace kivplus
