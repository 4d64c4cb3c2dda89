// A growable array whose index access never leaves the array.
//
// A bad index is written to the logs, asks the main window to close, and hands the caller a
// stand-by element, so the frame in progress finishes on harmless data and the program then
// shuts down through its ordinary close path instead of failing in the middle of a frame.
// The vector holds nothing but the standard vector, so it can stand wherever one stands,
// including inside records that are copied and saved.
#pragma once

#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

namespace checked_detail {

// The failure path shared by CheckedVector ('V') and CheckedList ('L'): logs
// "err V[index] ( count , size )" to the error log and the report log and posts WM_CLOSE to
// the main window without waiting. Kept out of line so the in-range path stays a compare.
[[gnu::cold]] void ReportBadIndex(char kind, int index, std::size_t count, std::size_t elementSize);

// One stand-by element per element type, shared by all containers of that type on all
// threads: made on first use (zero-filled for plain types, default-constructed for classes)
// and never reset, so a value written into it is still there at the next failed access.
template <class T>
T& Standby() {
    static T standby{};
    return standby;
}

}  // namespace checked_detail

template <class T>
class CheckedVector {
public:
    using value_type = T;
    using size_type = std::size_t;
    using reference = T&;
    using const_reference = const T&;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    CheckedVector() = default;
    explicit CheckedVector(size_type count) : items_(count) {}
    CheckedVector(size_type count, const T& value) : items_(count, value) {}
    CheckedVector(std::initializer_list<T> values) : items_(values) {}
    // Room for exactly the source's elements; an empty source allocates nothing.
    CheckedVector(const CheckedVector& source) {
        if (source.items_.empty()) return;
        items_.reserve(source.items_.size());
        items_.insert(items_.end(), source.items_.begin(), source.items_.end());
    }
    CheckedVector(CheckedVector&&) noexcept = default;
    CheckedVector& operator=(const CheckedVector& source) {
        Assign(source);
        return *this;
    }
    CheckedVector& operator=(CheckedVector&&) noexcept = default;
    ~CheckedVector() = default;

    T& CheckedAt(int index) {
        if (index >= 0 && static_cast<size_type>(index) < items_.size()) [[likely]] {
            return items_.data()[index];
        }
        return BadIndex(index);
    }
    const T& CheckedAt(int index) const {
        return const_cast<CheckedVector*>(this)->CheckedAt(index);
    }
    T& operator[](int index) { return CheckedAt(index); }
    const T& operator[](int index) const { return CheckedAt(index); }
    T& front() { return CheckedAt(0); }
    const T& front() const { return CheckedAt(0); }
    T& back() { return CheckedAt(static_cast<int>(items_.size()) - 1); }
    const T& back() const { return CheckedAt(static_cast<int>(items_.size()) - 1); }

    // 0 for a vector that never allocated.
    unsigned Size() const { return static_cast<unsigned>(items_.size()); }
    size_type size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    size_type capacity() const { return items_.capacity(); }

    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    const_iterator cbegin() const { return items_.cbegin(); }
    const_iterator cend() const { return items_.cend(); }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }

    void push_back(const T& value) { items_.push_back(value); }
    void push_back(T&& value) { items_.push_back(std::move(value)); }
    template <class... Args>
    T& emplace_back(Args&&... args) {
        return items_.emplace_back(std::forward<Args>(args)...);
    }
    // Removing from an empty vector changes nothing.
    void pop_back() {
        if (!items_.empty()) items_.pop_back();
    }
    void resize(size_type count) { items_.resize(count); }
    void resize(size_type count, const T& value) { items_.resize(count, value); }
    void reserve(size_type count) { items_.reserve(count); }

    iterator insert(const_iterator pos, const T& value) { return items_.insert(pos, value); }
    iterator insert(const_iterator pos, T&& value) { return items_.insert(pos, std::move(value)); }
    iterator insert(const_iterator pos, size_type count, const T& value) {
        return items_.insert(pos, count, value);
    }
    template <class InputIt>
    iterator insert(const_iterator pos, InputIt first, InputIt last) {
        return items_.insert(pos, first, last);
    }
    iterator erase(const_iterator pos) { return items_.erase(pos); }
    iterator erase(const_iterator first, const_iterator last) { return items_.erase(first, last); }

    // Every element receives the value, each through the checked access.
    void Fill(const T& value) {
        for (int i = 0; i < static_cast<int>(items_.size()); ++i) CheckedAt(i) = value;
    }

    // Makes this vector equal to the source without re-creating the elements it already
    // has: they keep their identity (records keep their own field tables) and only receive
    // the source's values.
    void Assign(const CheckedVector& source) {
        if (this == &source) return;
        const size_type count = source.items_.size();
        if (items_.size() < count) {
            const T blank{};
            items_.resize(count, blank);
        } else if (items_.size() > count) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(count), items_.end());
        }
        for (size_type i = 0; i < count; ++i) items_[i] = source.items_[i];
    }

    // Runs the destructors and frees the storage: the never-allocated state.
    void Destroy() { std::vector<T>().swap(items_); }
    // Empties the vector and keeps its storage.
    void Clear() { items_.clear(); }

    // Removes every element equal to the value; storage is never given back.
    bool RemoveValue(int value) requires std::integral<T> {
        bool removed = false;
        int i = 0;
        while (static_cast<unsigned>(i) < Size()) {
            if (std::cmp_equal(CheckedAt(i), value)) {
                items_.erase(items_.begin() + i);
                removed = true;  // look at index i again: runs of equal values all go
            } else {
                ++i;
            }
        }
        return removed;
    }

    bool Contains(int value) const requires std::integral<T> {
        for (int i = 0; static_cast<unsigned>(i) < Size(); ++i) {
            if (std::cmp_equal(CheckedAt(i), value)) return true;
        }
        return false;
    }

    friend bool operator==(const CheckedVector& a, const CheckedVector& b) {
        return a.items_ == b.items_;
    }

private:
    [[gnu::noinline, gnu::cold]] T& BadIndex(int index) {
        checked_detail::ReportBadIndex('V', index, items_.size(), sizeof(T));
        // An empty vector has no element of its own to lend.
        if (items_.empty()) return checked_detail::Standby<T>();
        return items_.front();
    }

    std::vector<T> items_;
};
