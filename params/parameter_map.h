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
    // The stored value, or empty. An absent key is entered with an empty value.
    const std::string& Lookup(std::string_view key);
    // Read-only lookup for code that must not add entries (composition, size rule).
    const std::string* Find(std::string_view key) const;
    // The stored value, or nothing for an absent key; the map is not changed.
    std::optional<std::string_view> Value(std::string_view key) const;
    bool Contains(std::string_view key) const;

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

private:
    Container entries_;
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
