#include "data/record_layout.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace {

// Keyed bindings kept at most: far beyond the classes times the versions a project holds,
// small enough that files naming every possible version cannot exhaust the memory.
constexpr std::size_t kMaxKeyedBindings = std::size_t{1} << 14;

struct Key {
    const std::type_info* type;
    std::uint32_t version;
    std::uint32_t variant;
    bool operator==(const Key&) const = default;
};

struct KeyHash {
    std::size_t operator()(const Key& k) const {
        const std::size_t t = std::hash<const void*>()(k.type);
        return t ^ (std::size_t{k.version} * 0x9E3779B97F4A7C15ull) ^ (std::size_t{k.variant} << 7);
    }
};

std::size_t ContentHash(const std::vector<FieldSlot>& fields,
                        const std::vector<StringSlot>& strings) {
    std::size_t h = fields.size() * 31 + strings.size();
    const auto mix = [&h](std::size_t v) { h = (h ^ v) * 0x100000001B3ull; };
    for (const FieldSlot& f : fields) {
        mix(static_cast<std::size_t>(f.offset));
        mix(f.count);
        mix(static_cast<std::size_t>(f.size));
        mix(reinterpret_cast<std::uintptr_t>(f.name));
    }
    for (const StringSlot& s : strings) {
        mix(static_cast<std::size_t>(s.offset));
        mix(reinterpret_cast<std::uintptr_t>(s.name));
    }
    return h;
}

bool SameContent(const RecordLayout& layout, const std::vector<FieldSlot>& fields,
                 const std::vector<StringSlot>& strings) {
    if (layout.fields.size() != fields.size() || layout.strings.size() != strings.size()) {
        return false;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldSlot& a = layout.fields.data()[i];
        const FieldSlot& b = fields[i];
        if (a.offset != b.offset || a.count != b.count || a.size != b.size || a.name != b.name) {
            return false;
        }
    }
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const StringSlot& a = layout.strings.data()[i];
        if (a.offset != strings[i].offset || a.name != strings[i].name) return false;
    }
    return true;
}

// Everything ever registered. Entries are never removed, so the pointers handed out stay
// valid for the whole run and may be read without the lock.
struct Registry {
    std::mutex lock;
    std::unordered_multimap<std::size_t, std::unique_ptr<RecordLayout>> layouts;
    std::unordered_map<Key, std::unique_ptr<LayoutBinding>, KeyHash> keyed;
    std::map<std::pair<const std::type_info*, const RecordLayout*>, std::unique_ptr<LayoutBinding>>
        unkeyed;

    // Under the lock.
    const RecordLayout* Intern(const std::vector<FieldSlot>& fields,
                               const std::vector<StringSlot>& strings) {
        const std::size_t hash = ContentHash(fields, strings);
        const auto [first, last] = layouts.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            if (SameContent(*it->second, fields, strings)) return it->second.get();
        }
        auto layout = std::make_unique<RecordLayout>();
        layout->fields.reserve(fields.size());
        for (const FieldSlot& f : fields) {
            layout->fields.push_back(f);
            layout->fieldBytes += std::size_t{f.count} * static_cast<std::size_t>(f.size);
        }
        layout->strings.reserve(strings.size());
        for (const StringSlot& s : strings) layout->strings.push_back(s);
        const RecordLayout* result = layout.get();
        layouts.emplace(hash, std::move(layout));
        return result;
    }

    // Under the lock.
    const LayoutBinding* Unkeyed(const std::type_info& type, const RecordLayout* layout) {
        std::unique_ptr<LayoutBinding>& binding = unkeyed[{&type, layout}];
        if (!binding) {
            binding = std::make_unique<LayoutBinding>();
            binding->type = &type;
            binding->layout = layout;
        }
        return binding.get();
    }
};

// Made on first use and never destroyed: records may be bound while static objects are
// being made or destroyed.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

// The bindings this thread found last, so that binding a record takes no lock once its class
// and version are known here. Plain values only: usable at any time of the thread's life.
struct CachedBinding {
    Key key;
    const LayoutBinding* binding;
};
constexpr std::size_t kCacheSize = 256;
thread_local CachedBinding t_cache[kCacheSize] = {};

std::size_t CacheIndex(const Key& key) {
    return KeyHash()(key) % kCacheSize;
}

}  // namespace

const LayoutBinding* FindLayoutBinding(const std::type_info& type, std::uint32_t version,
                                       std::uint32_t variant) {
    const Key key{&type, version, variant};
    CachedBinding& cached = t_cache[CacheIndex(key)];
    if (cached.binding && cached.key == key) return cached.binding;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const auto it = registry.keyed.find(key);
    if (it == registry.keyed.end()) return nullptr;
    cached = CachedBinding{key, it->second.get()};
    return cached.binding;
}

const LayoutBinding* AddLayoutBinding(const std::type_info& type, std::uint32_t version,
                                      std::uint32_t variant, const std::vector<FieldSlot>& fields,
                                      const std::vector<StringSlot>& strings) {
    const Key key{&type, version, variant};
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const RecordLayout* layout = registry.Intern(fields, strings);
    if (const auto it = registry.keyed.find(key); it != registry.keyed.end()) {
        return it->second.get();
    }
    if (registry.keyed.size() >= kMaxKeyedBindings) return registry.Unkeyed(type, layout);
    auto binding = std::make_unique<LayoutBinding>();
    binding->type = &type;
    binding->version = version;
    binding->variant = variant;
    binding->keyed = true;
    binding->layout = layout;
    const LayoutBinding* result = binding.get();
    registry.keyed.emplace(key, std::move(binding));
    t_cache[CacheIndex(key)] = CachedBinding{key, result};
    return result;
}

const LayoutBinding* ContentLayoutBinding(const std::type_info& type,
                                          const std::vector<FieldSlot>& fields,
                                          const std::vector<StringSlot>& strings) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.Unkeyed(type, registry.Intern(fields, strings));
}

const RecordLayout& EmptyRecordLayout() {
    static const RecordLayout* empty = new RecordLayout;
    return *empty;
}

std::size_t RecordLayoutCount() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.layouts.size();
}
