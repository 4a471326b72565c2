// The launch parameters of one run: narrow keys and values in unsigned byte order. Their text
// is UTF-8 whatever the source (a lone surrogate of the command line in its three-byte form).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

class ParameterMap {
public:
    // std::string compares its chars as unsigned char (char_traits<char>::lt), which is the
    // byte order the keys go in; std::less<> lets views look keys up.
    using Container = std::map<std::string, std::string, std::less<>>;
    using const_iterator = Container::const_iterator;

    // Inserts or replaces; an existing entry keeps its place (the place follows the key).
    void Store(std::string key, std::string value);
    // The stored value, or nothing for an absent key; looking never changes the map.
    std::optional<std::string_view> Value(std::string_view key) const;

    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

private:
    Container m_entries;
};

namespace keys {
inline constexpr std::string_view kServerIP = "ServerIP";
inline constexpr std::string_view kURL = "URL";
inline constexpr std::string_view kInputPath = "InputPath";
inline constexpr std::string_view kOutputPath = "OutputPath";
inline constexpr std::string_view kWindowWidth = "WindowWidth";
inline constexpr std::string_view kWindowHeight = "WindowHeight";
inline constexpr std::array<std::string_view, 6> kReserved = {
    kServerIP, kURL, kInputPath, kOutputPath, kWindowWidth, kWindowHeight};
}  // namespace keys

// Exact, case-sensitive: "serverip" is an ordinary key and is forwarded.
bool IsReservedKey(std::string_view key);

}  // namespace tessel
