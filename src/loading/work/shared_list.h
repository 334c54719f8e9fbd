// A list that never changes once made and that copies share, so a mesh's
// geometry is held once however many models of one file draw it: copying
// the meshes of a 2,000,000-triangle model took a second and its size again
// in memory. A list may also lie in memory someone else owns (the loading
// worker's reply), which it then keeps alive.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class T>
class SharedList {
public:
    SharedList() = default;
    // Implicit, so a list is made wherever a vector is given.
    SharedList(std::vector<T> items)
    {
        auto held = std::make_shared<const std::vector<T>>(std::move(items));
        data_ = held->data();
        size_ = held->size();
        owner_ = std::move(held);
    }
    // The `size` items at `data`, which live as long as `owner`.
    SharedList(const T* data, std::size_t size, std::shared_ptr<const void> owner)
        : data_(data), size_(size), owner_(std::move(owner))
    {
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T* data() const { return data_; }
    const T& operator[](std::size_t index) const { return data_[index]; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    std::vector<T> copy() const { return std::vector<T>(begin(), end()); }

    friend bool operator==(const SharedList& list, const std::vector<T>& other)
    {
        return std::equal(list.begin(), list.end(), other.begin(), other.end());
    }

private:
    const T* data_ = nullptr;
    std::size_t size_ = 0;
    std::shared_ptr<const void> owner_;
};
