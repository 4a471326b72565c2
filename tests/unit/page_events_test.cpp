#include <gtest/gtest.h>

#include "page/page_events.h"

using namespace tessel;

TEST(ExitWords, CaseSensitiveAnywhere) {
    EXPECT_TRUE(ContainsExitWord(u"http://h/p?x=1&a=RebootAndExitNow"));
    EXPECT_TRUE(ContainsExitWord(u"LogoutAndExit://x"));
    EXPECT_TRUE(ContainsExitWord(u"http://h/#RestartAndExit"));
    EXPECT_TRUE(ContainsExitWord(u"http://h/LogoutAndExit/RebootAndExit"));
    EXPECT_FALSE(ContainsExitWord(u"http://h/rebootandexit"));
    EXPECT_FALSE(ContainsExitWord(u"http://h/REBOOTANDEXIT"));
    EXPECT_FALSE(ContainsExitWord(u"http://h/Reboot And Exit"));
}

TEST(ResultLocation, ExactLowercaseSuffix) {
    EXPECT_TRUE(IsResultLocation(u"http://h/jobs/result.xml"));
    EXPECT_TRUE(IsResultLocation(u".xml"));
    EXPECT_FALSE(IsResultLocation(u"http://h/result.XML"));
    EXPECT_FALSE(IsResultLocation(u"http://h/result.xml?x"));
    EXPECT_FALSE(IsResultLocation(u"xml"));
    // The fragment is the page's, never the server's: the address without it decides.
    EXPECT_FALSE(IsResultLocation(u"http://h/app/#/r.xml"));
    EXPECT_TRUE(IsResultLocation(u"http://h/r.xml#page=2"));
    EXPECT_EQ(WithoutFragment(u"http://h/r.xml#a#b"), u"http://h/r.xml");
}

TEST(ResultFileName, LastNonEmptyPiece) {
    EXPECT_EQ(ResultFileName(u"http://h/jobs/result.xml"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/jobs//result.xml"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/jobs/result.xml/"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/jobs/result.xml///"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h//jobs//result.xml//"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"result.xml//"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/get?f=a.xml"), u"get?f=a.xml");
    EXPECT_EQ(ResultFileName(u"r.xml"), u"r.xml");
    EXPECT_EQ(ResultFileName(u"///"), u"");
}

TEST(PageCommands, TheProgramsAddressesWithAnyQueryAndExactlyTheRunsKey) {
    EXPECT_EQ(PageCommandOf(u"tessel:retry?key=k1"), PageCommand::Retry);
    EXPECT_EQ(PageCommandOf(u"tessel:close"), PageCommand::Close);
    for (const char16_t* other : {u"tessel:retryx", u"tessel:closed?key=k1", u"x:tessel:close"})
        EXPECT_EQ(PageCommandOf(other), PageCommand::None) << ToUtf8(other);
    EXPECT_TRUE(CarriesCommandKey(u"tessel:close?key=k1", u"k1"));
    for (const char16_t* other : {u"tessel:close?key=k1x", u"tessel:close?key=k", u"tessel:close?key=k1&a", u"tessel:close"})
        EXPECT_FALSE(CarriesCommandKey(other, u"k1")) << ToUtf8(other);
    EXPECT_FALSE(CarriesCommandKey(u"tessel:close?key=", u""));
}

TEST(UnreachableReason, OnlyAServerNotReachedIsTheProgramsPage) {
    const std::pair<unsigned long, const char*> reasons[] = {{0x800C0003, "reasonRefused"}, {0x800C0004, "reasonRefused"},
                                                             {0x800C0008, "reasonRefused"}, {0x800C0005, "reasonNotFound"},
                                                             {0x800C000B, "reasonTimeout"}};
    for (const auto& [status, key] : reasons) EXPECT_EQ(UnreachableReason(static_cast<long>(status)), key) << status;
    // The server's own answer, data not available, a navigation cancelled: the control's page.
    for (unsigned long other : {404ul, 500ul, 0x800C0007ul, 0x80004004ul})
        EXPECT_FALSE(UnreachableReason(static_cast<long>(other))) << other;
}
