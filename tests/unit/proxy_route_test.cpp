#include <gtest/gtest.h>

#include "delivery/proxy_route.h"

using namespace tessel;

namespace {
WideString Manual(WideView url, WideView server, WideView bypass = u"") {
    const auto parts = SplitUrl(url);
    return parts ? ManualRoute(*parts, server, bypass) : u"(no address)";
}
}  // namespace

TEST(ProxyRoute, AddressesSplitAsTheHttpLayerReadsThem) {
    const auto plain = SplitUrl(u"HTTP://User:pw@Print.Example:8080/jobs/r.xml?x#f");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->scheme + u" " + plain->host, u"http print.example");
    EXPECT_EQ(plain->port, 8080u);
    EXPECT_EQ(SplitUrl(u"https://h/x")->port, 443u);
    EXPECT_EQ(SplitUrl(u"http://h")->port, 80u);
    const auto v6 = SplitUrl(u"http://[::1]:81/");
    EXPECT_EQ(v6->host, u"::1");
    EXPECT_EQ(v6->port, 81u);
    for (const char16_t* ends : {u"http://H?x", u"http://h#f", u"http://h\\x"}) EXPECT_EQ(SplitUrl(ends)->host, u"h");
    for (const char16_t* refused : {u"ftp://h/", u"h/x", u"http:///x", u"http://h:99999/", u"http://h:65536/",
                                    u"http://h:8x/", u"http://[::1/", u"http://[::1]x/"})
        EXPECT_FALSE(SplitUrl(refused)) << ToUtf8(refused);
}

TEST(ProxyRoute, ServerListPerSchemeBypassListAndAutomaticAnswers) {
    // One proxy for every scheme (port 80 when none is given); per scheme, else SOCKS 4, else direct.
    EXPECT_EQ(Manual(u"https://srv/x", u"http://proxy"), u"http://proxy:80");
    const WideView list = u"http=hp:1; https=sp:2;socks=so:3";
    EXPECT_EQ(Manual(u"http://srv/", list), u"http://hp:1");
    EXPECT_EQ(Manual(u"https://srv/", list), u"http://sp:2");
    EXPECT_EQ(Manual(u"https://srv/", u"http=hp:1;socks=so"), u"socks4://so:1080");
    EXPECT_EQ(Manual(u"https://srv/", u"http=hp:1;ftp=fp:2"), u"");
    // An entry that is no address (a quote, port 0, a user, beyond ASCII) is no proxy; an IPv6 one is.
    for (const char16_t* none : {u"http=a\"b:1", u"proxy:0", u"u@p:1", u"p\u00e9:1"}) EXPECT_EQ(Manual(u"http://srv/", none), u"");
    EXPECT_EQ(Manual(u"http://srv/", u"http=[::1]:8080"), u"http://[::1]:8080");
    EXPECT_EQ(Manual(u"http://srv/", u"[fe80::2]"), u"http://[fe80::2]:80");
    // Bypass: wildcards without regard to case, host or host:port, an optional scheme,
    // <local> for names without a dot.
    const WideView bypass = u"*.Intra.example;10.1.*; https://secure.example; srv2.example:8080; <Local>";
    for (const char16_t* direct : {u"http://print.intra.example/", u"http://10.1.2.3/", u"https://secure.example/",
                                   u"http://srv2.example:8080/", u"http://printserver/"})
        EXPECT_EQ(Manual(direct, u"p:1", bypass), u"") << ToUtf8(direct);
    for (const char16_t* proxied : {u"http://secure.example/", u"http://srv2.example/", u"http://intra.example/",
                                    u"http://[fe80::1]/"})
        EXPECT_EQ(Manual(proxied, u"p:1", bypass), u"http://p:1") << ToUtf8(proxied);
    // An automatic configuration's first usable entry.
    const auto url = *SplitUrl(u"https://srv/r.xml");
    EXPECT_EQ(AutomaticRoute(url, u"bad:port; pac2:81;pac3:82"), u"http://pac2:81");
    EXPECT_EQ(AutomaticRoute(url, u""), u"");
}

TEST(ProxyRoute, CurlGetsTheRouteAndNoVariableOfItsOwn) {
    EXPECT_EQ(RouteOptions(u""), u" --noproxy \"*\"");
    EXPECT_EQ(RouteOptions(u"http://p:1"), u" --proxy http://p:1");
    for (const char16_t* variable : {u"http_proxy=x", u"HTTPS_PROXY=x", u"All_Proxy=", u"NO_PROXY=*"})
        EXPECT_TRUE(IsProxyVariable(variable)) << ToUtf8(variable);
    for (const char16_t* kept : {u"PATH=C:\\x", u"=C:=C:\\", u"PROXY=x", u"MY_PROXYX=1", u"_proxy"})
        EXPECT_FALSE(IsProxyVariable(kept)) << ToUtf8(kept);
}

TEST(ProxyRoute, ThisMachineGoesDirectUnlessTheBypassListSaysLoopback) {
    for (const char16_t* local : {u"http://localhost:8080/", u"http://LocalHost/", u"http://127.0.0.1/",
                                  u"https://127.255.0.9:8443/", u"http://[::1]/", u"http://[0:0:0:0:0:0:0:1]:81/",
                                  u"http://[::0:1]/", u"http://[0000::0001]/"}) {
        EXPECT_EQ(Manual(local, u"p:1"), u"") << ToUtf8(local);
        EXPECT_EQ(Manual(local, u"p:1", u"*.example; <-Loopback>"), u"http://p:1") << ToUtf8(local);
        EXPECT_EQ(AutomaticRoute(*SplitUrl(local), u"pac:1"), u"") << ToUtf8(local);
    }
    for (const char16_t* other : {u"http://128.0.0.1/", u"http://127.0.0/", u"http://127.0.0.1.5/",
                                  u"http://127.0.0.256/", u"http://localhost.example/", u"http://[::2]/", u"http://[::]/",
                                  u"http://[1::1]/", u"http://[::1:0]/", u"http://[::00001]/",
                                  u"http://[0:0:0:0:0:0:0::1]/", u"http://[0:0:1]/", u"http://[::ffff:127.0.0.1]/",
                                  u"http://0x7f.0.0.1/", u"http://127.0.0.01x/"})
        EXPECT_EQ(Manual(other, u"p:1"), u"http://p:1") << ToUtf8(other);
}
