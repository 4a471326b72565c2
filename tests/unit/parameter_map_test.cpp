#include <gtest/gtest.h>

#include "params/parameter_map.h"

using tessel::ParameterMap;

TEST(ParameterMap, StoreReplacesAndOrdersByUnsignedBytes) {
    ParameterMap m;
    m.Store("lang", "de");
    m.Store("\xE9t\xE9", "x");  // a byte above 0x7F sorts after every ASCII letter
    m.Store("Zoom", "2");
    m.Store("a1", "1");
    m.Store("9up", "y");
    m.Store("", "empty");
    m.Store("Zoom", "3");
    std::vector<std::string> order;
    for (const auto& [k, v] : m) order.push_back(k);
    EXPECT_EQ(order, (std::vector<std::string>{"", "9up", "Zoom", "a1", "lang", "\xE9t\xE9"}));
    EXPECT_EQ(*m.Value("Zoom"), "3");
    m.Store("InputPath", "");  // stored empty is not absent
    EXPECT_EQ(m.Value("InputPath"), std::optional<std::string_view>(""));
    EXPECT_EQ(m.Value("Input"), std::nullopt);
}

TEST(ParameterMap, ReservedKeysAreExactAndCaseSensitive) {
    for (auto k : {"ServerIP", "URL", "InputPath", "OutputPath", "WindowWidth", "WindowHeight"})
        EXPECT_TRUE(tessel::IsReservedKey(k)) << k;
    for (auto k : {"serverip", "Url", "ServerIP ", "", "InputPath2"})
        EXPECT_FALSE(tessel::IsReservedKey(k)) << k;
}
