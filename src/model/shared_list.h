// A list that never changes once made and that copies share, so a mesh's
// geometry is held once however many models of one file draw it: copying
// the meshes of a 2,000,000-triangle model took a second and its size again
// in memory.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class T>
class SharedList {
public:
    SharedList() = default;
    // Implicit, so a list is made wherever a vector is given.
    SharedList(std::vector<T> items) : items_(std::make_shared<const std::vector<T>>(std::move(items))) {}

    const std::vector<T>& items() const { return items_ ? *items_ : none(); }
    // Reads as the vector it holds wherever one is wanted.
    operator const std::vector<T>&() const { return items(); }

    std::size_t size() const { return items().size(); }
    bool empty() const { return items().empty(); }
    const T* data() const { return items().data(); }
    const T& operator[](std::size_t index) const { return items()[index]; }
    auto begin() const { return items().begin(); }
    auto end() const { return items().end(); }

    friend bool operator==(const SharedList& list, const std::vector<T>& other) { return list.items() == other; }

private:
    static const std::vector<T>& none()
    {
        static const std::vector<T> empty;
        return empty;
    }

    std::shared_ptr<const std::vector<T>> items_;
};
