#include "params/parameter_map.h"

#include <algorithm>
#include <cstring>

namespace tessel {

bool UnsignedByteLess::operator()(std::string_view a, std::string_view b) const noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;  // memcmp compares unsigned bytes
    return c < 0 || (c == 0 && a.size() < b.size());
}

void ParameterMap::Store(std::string key, std::string value) {
    entries_.insert_or_assign(std::move(key), std::move(value));
}

const std::string& ParameterMap::Lookup(const std::string& key) {
    return entries_.try_emplace(key).first->second;
}

const std::string* ParameterMap::Find(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

bool ParameterMap::Contains(std::string_view key) const { return entries_.find(key) != entries_.end(); }

bool IsReservedKey(std::string_view key) {
    return std::find(keys::kReserved.begin(), keys::kReserved.end(), key) != keys::kReserved.end();
}

}  // namespace tessel
