#pragma once

#include <cstdlib>
#include <type_traits>

namespace kivplus {

// A fixed-size array of plain records obtained zero-filled from the system, so
// that large capacities cost nothing until used. Empty when memory could not be
// obtained.
template <typename T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>);

public:
    ZeroedArray() = default;
    explicit ZeroedArray(std::size_t size)
        : data_(size ? static_cast<T*>(std::calloc(size, sizeof(T))) : nullptr), size_(data_ ? size : 0)
    {
    }
    ~ZeroedArray() { std::free(data_); }
    ZeroedArray(ZeroedArray&& other) noexcept : data_(other.data_), size_(other.size_)
    {
        other.data_ = nullptr;
        other.size_ = 0;
    }
    ZeroedArray& operator=(ZeroedArray&& other) noexcept
    {
        if (this != &other) {
            std::free(data_);
            data_ = other.data_;
            size_ = other.size_;
            other.data_ = nullptr;
            other.size_ = 0;
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
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace kivplus
