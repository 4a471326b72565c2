#include <gtest/gtest.h>

#include "events/page_events.h"

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
}

TEST(ResultFileName, LastNonEmptyPiece) {
    EXPECT_EQ(ResultFileName(u"http://h/jobs/result.xml"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/jobs//result.xml"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/jobs/result.xml/"), u"result.xml");
    EXPECT_EQ(ResultFileName(u"http://h/get?f=a.xml"), u"get?f=a.xml");
    EXPECT_EQ(ResultFileName(u"r.xml"), u"r.xml");
    EXPECT_EQ(ResultFileName(u"///"), u"");
}

TEST(ResultCommands, DownloadAndDeleteLines) {
    EXPECT_EQ(FormatDownloadCommand(u"C:\\Program Files\\Common\\curl.exe", "C:\\My Out\\r.xml",
                                    u"http://h:8080/jobs/r.xml"),
              std::string("C:\\Program Files\\Common\\curl.exe -fko \"C:\\My Out\\r.xml\" "
                          "\"http://h:8080/jobs/r.xml\""));
    EXPECT_EQ(FormatDeleteCommand(u"\\curl.exe", "http://h:8080/viewer", u"r.xml"),
              std::string("\\curl.exe -kX DELETE http://h:8080/viewer?file=r.xml"));
}

TEST(ResultCommands, LocationCannotAddArguments) {
    auto cmd = FormatDownloadCommand(u"c.exe", "o.xml", u"http://h/a\" -o \"C:\\evil\tx\x7f.xml");
    ASSERT_TRUE(cmd);
    EXPECT_EQ(*cmd, "c.exe -fko \"o.xml\" \"http://h/a%22%20-o%20%22C:\\evil%09x%7F.xml\"");
    auto del = FormatDeleteCommand(u"c.exe", "http://h/v", u"a b\".xml");
    EXPECT_EQ(*del, "c.exe -kX DELETE http://h/v?file=a%20b%22.xml");
    // An output path that would leave its quotes is refused, not passed on.
    EXPECT_FALSE(FormatDownloadCommand(u"c.exe", "C:\\out\\", u"http://h/r.xml"));
    EXPECT_FALSE(FormatDownloadCommand(u"c.exe", "a\"b", u"http://h/r.xml"));
}

TEST(ResultCommands, RefusedAtLimitsAndAboveFF) {
    // "c -fko \"o\" \"" and the closing quote leave 1010 characters for the URL.
    const WideString base = u"http://h/";
    const WideString url = base + WideString(1010 - base.size() - 4, u'a') + u".xml";
    auto cmd = FormatDownloadCommand(u"c", "o", url);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->size(), 1023u);
    EXPECT_FALSE(FormatDownloadCommand(u"c", "o", u"a" + url));
    EXPECT_FALSE(FormatDownloadCommand(u"c", "o", WideString(1024, u'a') + u".xml"));
    EXPECT_FALSE(FormatDownloadCommand(u"C:\\\u65e5\\curl.exe", "o", u"http://h/r.xml"));
    EXPECT_FALSE(FormatDeleteCommand(u"c", "b", u"\u65e5.xml"));
    EXPECT_FALSE(FormatDeleteCommand(u"c", "b", WideString(1024, u'n')));
    // Escaping that pushes a piece past its buffer refuses too.
    EXPECT_FALSE(FormatDeleteCommand(u"c", "b", WideString(400, u' ')));
}
