#pragma once

#include <stdexcept>
#include <vector>

namespace k10 {

// An array of records indexed from 1, at most Capacity entries, entries in slots 1 to count without gaps.
// Removing an entry moves the later ones forward. No operation stores an entry past Capacity: a caller
// checks full() first and refuses with its own message; reaching past it anyway throws.
template <class T, int Capacity = 100>
class RecordArray {
public:
    static constexpr int capacity = Capacity;

    int count() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    bool full() const { return count() >= Capacity; }

    // Slot 1 to count().
    T& operator[](int slot) { return items_.at(index(slot)); }
    const T& operator[](int slot) const { return items_.at(index(slot)); }

    T& append(T record = T{}) {
        requireRoom();
        items_.push_back(std::move(record));
        return items_.back();
    }

    // Places the record at slot (1 to count()+1); the entries from that slot on move back by one.
    T& insert(int slot, T record = T{}) {
        requireRoom();
        if (slot < 1 || slot > count() + 1)
            throw std::out_of_range("RecordArray::insert");
        return *items_.insert(items_.begin() + (slot - 1), std::move(record));
    }

    void remove(int slot) { items_.erase(items_.begin() + static_cast<long>(index(slot))); }

    void clear() { items_.clear(); }
    void reserve(int n) { items_.reserve(static_cast<std::size_t>(n < Capacity ? n : Capacity)); }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    friend bool operator==(const RecordArray&, const RecordArray&) = default;

private:
    std::size_t index(int slot) const {
        if (slot < 1 || slot > count())
            throw std::out_of_range("RecordArray slot out of range");
        return static_cast<std::size_t>(slot - 1);
    }
    void requireRoom() const {
        if (full())
            throw std::length_error("RecordArray is full");
    }

    std::vector<T> items_;
};

} // namespace k10
