#include "params/parameter_map.h"

#include <algorithm>

namespace tessel {

void ParameterMap::Store(std::string key, std::string value) {
    m_entries.insert_or_assign(std::move(key), std::move(value));
}

std::optional<std::string_view> ParameterMap::Value(std::string_view key) const {
    const auto it = m_entries.find(key);
    return it == m_entries.end() ? std::nullopt : std::optional<std::string_view>(it->second);
}

bool IsReservedKey(std::string_view key) {
    return std::find(keys::kReserved.begin(), keys::kReserved.end(), key) != keys::kReserved.end();
}

}  // namespace tessel
