#include "params/parameter_map.h"

#include <algorithm>

namespace tessel {

void ParameterMap::Store(std::string key, std::string value) {
    entries_.insert_or_assign(std::move(key), std::move(value));
}

const std::string& ParameterMap::Lookup(std::string_view key) {
    if (auto it = entries_.find(key); it != entries_.end()) return it->second;
    return entries_.try_emplace(std::string(key)).first->second;
}

const std::string* ParameterMap::Find(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

std::optional<std::string_view> ParameterMap::Value(std::string_view key) const {
    const std::string* value = Find(key);
    return value ? std::optional<std::string_view>(*value) : std::nullopt;
}

bool ParameterMap::Contains(std::string_view key) const { return entries_.find(key) != entries_.end(); }

bool IsReservedKey(std::string_view key) {
    return std::find(keys::kReserved.begin(), keys::kReserved.end(), key) != keys::kReserved.end();
}

}  // namespace tessel
