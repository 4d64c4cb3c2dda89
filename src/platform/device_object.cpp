#include "platform/device_object.h"

namespace plat {
namespace {

std::atomic<int> g_live{0};

}  // namespace

DeviceObject::DeviceObject() {
    ++g_live;
}

DeviceObject::~DeviceObject() {
    --g_live;
}

ULONG DeviceObject::AddRef() {
    return ++refs_;
}

ULONG DeviceObject::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

int LiveDeviceObjects() {
    return g_live.load();
}

}  // namespace plat
