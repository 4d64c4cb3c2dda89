// The common ground of the display device's objects: result codes, the integer types the
// device calls use, and reference counting.
//
// Objects are counted like the interfaces they stand for: a creator hands out one reference,
// AddRef adds one, Release drops one and deletes the object at zero. A child object (a surface,
// a texture, a palette) holds a reference to the object that made it, so the maker's own
// Release reports how many references are still out there, which is how a forgotten surface
// shows up at shut-down.
#pragma once

#include <atomic>
#include <cstdint>

namespace plat {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

class DeviceObject {
public:
    DeviceObject(const DeviceObject&) = delete;
    DeviceObject& operator=(const DeviceObject&) = delete;

    ULONG AddRef();
    // The references left; the object is gone when this is 0.
    ULONG Release();

protected:
    DeviceObject();
    virtual ~DeviceObject();

private:
    std::atomic<ULONG> refs_{1};
};

// Device objects alive in the process (tests: a release leaves nothing behind).
int LiveDeviceObjects();

// One reference held by a member, released when the holder goes.
template <class T>
class Ref {
public:
    Ref() = default;
    // Takes a new reference of its own.
    explicit Ref(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    Ref(const Ref& other) : Ref(other.p_) {}
    Ref& operator=(const Ref& other) {
        Reset(other.p_);
        return *this;
    }
    ~Ref() { Reset(nullptr); }

    void Reset(T* p) {
        if (p) p->AddRef();
        T* old = p_;
        p_ = p;
        if (old) old->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace plat
