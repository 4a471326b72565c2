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
