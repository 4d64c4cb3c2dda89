// A doubly linked list whose index access never leaves the list.
//
// A bad index is logged, asks the main window to close and yields the stand-by element of
// the element type (one per type, shared by all lists of that type), so the caller goes on
// with harmless data until the ordinary close path ends the program. The list holds nothing
// but the standard list.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <list>
#include <type_traits>
#include <utility>

#include "base/checked_vector.h"  // the shared failure path and the stand-by elements

template <class T>
class CheckedList {
public:
    using value_type = T;
    using size_type = std::size_t;
    using reference = T&;
    using const_reference = const T&;
    using iterator = typename std::list<T>::iterator;
    using const_iterator = typename std::list<T>::const_iterator;

    CheckedList() = default;
    CheckedList(std::initializer_list<T> values) : items_(values) {}
    CheckedList(const CheckedList&) = default;
    CheckedList(CheckedList&&) noexcept = default;
    CheckedList& operator=(const CheckedList& source) {
        Assign(source);
        return *this;
    }
    CheckedList& operator=(CheckedList&&) noexcept = default;
    ~CheckedList() = default;

    // Walks from the first node, so the cost grows with the index.
    T& CheckedListAt(int index) {
        if (index >= 0 && static_cast<size_type>(index) < items_.size()) {
            return *std::next(items_.begin(), index);
        }
        return BadIndex(index);
    }
    const T& CheckedListAt(int index) const {
        return const_cast<CheckedList*>(this)->CheckedListAt(index);
    }

    size_type size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    const_iterator cbegin() const { return items_.cbegin(); }
    const_iterator cend() const { return items_.cend(); }

    void push_back(const T& value) { items_.push_back(value); }
    void push_back(T&& value) { items_.push_back(std::move(value)); }
    void push_front(const T& value) { items_.push_front(value); }
    void push_front(T&& value) { items_.push_front(std::move(value)); }
    template <class... Args>
    T& emplace_back(Args&&... args) {
        return items_.emplace_back(std::forward<Args>(args)...);
    }
    template <class... Args>
    iterator emplace(const_iterator pos, Args&&... args) {
        return items_.emplace(pos, std::forward<Args>(args)...);
    }
    iterator erase(const_iterator pos) { return items_.erase(pos); }
    void clear() { items_.clear(); }

    // Makes this list equal to the source: default elements are appended (or nodes erased)
    // at the end until the counts match, then the values are copied node by node, so the
    // nodes that stay keep their addresses.
    void Assign(const CheckedList& source) {
        if (this == &source) return;
        const size_type count = source.items_.size();
        if (items_.size() < count) {
            const T blank{};
            items_.resize(count, blank);
        } else {
            while (items_.size() > count) items_.pop_back();
        }
        std::copy(source.items_.begin(), source.items_.end(), items_.begin());
    }

    // Erases the node whose element lies at the address; the position after it, or end()
    // when no node holds that address (then nothing changes).
    iterator EraseAt(const T* address) {
        for (auto it = items_.begin(); it != items_.end(); ++it) {
            if (&*it == address) return items_.erase(it);
        }
        return items_.end();
    }

    // Erases the first node holding the value; end() when there is none.
    iterator EraseValue(const T& value) requires(std::is_pointer_v<T> || std::is_integral_v<T>) {
        const auto it = std::find(items_.begin(), items_.end(), value);
        if (it == items_.end()) return it;
        return items_.erase(it);
    }

    friend bool operator==(const CheckedList& a, const CheckedList& b) {
        return a.items_ == b.items_;
    }

private:
    [[gnu::noinline, gnu::cold]] T& BadIndex(int index) {
        checked_detail::ReportBadIndex('L', index, items_.size(), sizeof(T));
        return checked_detail::Standby<T>();
    }

    std::list<T> items_;
};
