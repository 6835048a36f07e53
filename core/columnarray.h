#pragma once
// A growable array of plain values for the columns of points, which reach hundreds of
// megabytes: past 2 MiB its memory is mapped from the system, 2 MiB aligned so that huge
// pages can back it (advised with GEOLAGO_HUGE_PAGES=1: one page fault per 2 MiB instead
// of per 4 KiB), and it grows by moving its pages to a larger mapping, without copying
// them nor holding both at once. Memory fresh from the system reads zero, so making room
// there writes nothing.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace geolago {

namespace columnmemory {

// Sizes from which the memory is mapped rather than allocated, and the alignment.
inline constexpr std::size_t MappedFrom = std::size_t{2} << 20;

// A mapping of `bytes` (a multiple of MappedFrom), MappedFrom aligned, advised for huge
// pages when GEOLAGO_HUGE_PAGES=1; null when the system refuses it.
void* map(std::size_t bytes);
void unmap(void* at, std::size_t bytes);
// `at` (a mapping of `bytes`) grown to `grown` bytes, its pages moved, not copied; null
// when the system refuses, `at` then unchanged.
void* grow(void* at, std::size_t bytes, std::size_t grown);

}  // namespace columnmemory

template <typename T>
class ColumnArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    static_assert(columnmemory::MappedFrom % sizeof(T) == 0, "a mapping holds whole values");

public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    ColumnArray() = default;
    explicit ColumnArray(std::size_t n) { resize(n); }
    ColumnArray(std::initializer_list<T> values)
    {
        reserve(values.size());
        for (const T& value : values)
            push_back(value);
    }
    // The values of a vector, copied: for the front ends that gather their points first.
    ColumnArray(const std::vector<T>& values) { assign(values.data(), values.data() + values.size()); }
    ColumnArray(const ColumnArray& other)
    {
        reserve(other.size_);
        if (other.size_ > 0)
            std::memcpy(data_, other.data_, other.size_ * sizeof(T));
        size_ = other.size_;
        touched_ = std::max(touched_, size_);
    }
    ColumnArray(ColumnArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)),
          touched_(std::exchange(other.touched_, 0))
    {
    }
    ColumnArray& operator=(const ColumnArray& other)
    {
        if (this != &other) {
            ColumnArray copy(other);
            swap(copy);
        }
        return *this;
    }
    ColumnArray& operator=(ColumnArray&& other) noexcept
    {
        ColumnArray taken(std::move(other));
        swap(taken);
        return *this;
    }
    ~ColumnArray() { release(); }

    void swap(ColumnArray& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        std::swap(touched_, other.touched_);
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t capacity() const { return capacity_; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& operator[](std::size_t i)
    {
        assert(i < size_);
        return data_[i];
    }
    const T& operator[](std::size_t i) const
    {
        assert(i < size_);
        return data_[i];
    }
    T& front() { return (*this)[0]; }
    const T& front() const { return (*this)[0]; }
    T& back() { return (*this)[size_ - 1]; }
    const T& back() const { return (*this)[size_ - 1]; }

    void push_back(const T& value)
    {
        if (size_ == capacity_) [[unlikely]] {
            const T kept = value;  // it may lie in the memory that moves
            reserve(size_ < 8 ? 8 : 2 * size_);
            data_[size_++] = kept;
        } else {
            data_[size_++] = value;
        }
        touched_ = touched_ > size_ ? touched_ : size_;
    }
    void pop_back() { --size_; }

    // Room for n values, those held kept.
    void reserve(std::size_t n)
    {
        if (n > capacity_)
            reallocate(n);
    }
    // n values: those beyond the held ones zero.
    void resize(std::size_t n)
    {
        reserve(n);
        // Beyond `touched_` the memory has never been written since it came from the system.
        if (n > size_ && size_ < touched_)
            std::memset(static_cast<void*>(data_ + size_), 0, (std::min(n, touched_) - size_) * sizeof(T));
        size_ = n;
        touched_ = std::max(touched_, n);
    }
    void resize(std::size_t n, const T& value)
    {
        const std::size_t held = size_;
        resize(n);
        std::fill(data_ + std::min(held, n), data_ + n, value);
    }
    void clear() { size_ = 0; }
    // The values first..last instead of those held.
    void assign(const T* first, const T* last)
    {
        const auto n = static_cast<std::size_t>(last - first);
        reserve(n);
        if (n > 0)
            std::memcpy(static_cast<void*>(data_), first, n * sizeof(T));
        size_ = n;
        touched_ = std::max(touched_, n);
    }
    // The memory given back to the system.
    void release() noexcept
    {
        if (data_) {
            if (mapped())
                columnmemory::unmap(data_, capacity_ * sizeof(T));
            else
                std::free(data_);
        }
        data_ = nullptr;
        size_ = capacity_ = touched_ = 0;
    }

    friend bool operator==(const ColumnArray& a, const ColumnArray& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    bool mapped() const { return capacity_ * sizeof(T) >= columnmemory::MappedFrom; }

    void reallocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / 2 / sizeof(T))
            throw std::bad_alloc();
        std::size_t bytes = n * sizeof(T);
        if (bytes < columnmemory::MappedFrom) {
            // Small: the heap, whose realloc copies no more than the values held.
            void* grown = std::realloc(data_, bytes);
            if (!grown)
                throw std::bad_alloc();
            data_ = static_cast<T*>(grown);
            capacity_ = n;
            touched_ = capacity_;  // heap memory may hold anything
            return;
        }
        bytes = (bytes + columnmemory::MappedFrom - 1) / columnmemory::MappedFrom * columnmemory::MappedFrom;
        const std::size_t room = bytes / sizeof(T);
        if (mapped()) {
            void* grown = columnmemory::grow(data_, capacity_ * sizeof(T), bytes);
            if (!grown)
                throw std::bad_alloc();
            data_ = static_cast<T*>(grown);
            capacity_ = room;
            return;
        }
        void* fresh = columnmemory::map(bytes);
        if (!fresh)
            throw std::bad_alloc();
        if (size_ > 0)
            std::memcpy(fresh, data_, size_ * sizeof(T));
        std::free(data_);
        data_ = static_cast<T*>(fresh);
        capacity_ = room;
        touched_ = size_;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t touched_ = 0;  // values that may have been written: beyond them, zeros
};

}  // namespace geolago
