#include <gtest/gtest.h>

#include "params/command_line.h"
#include "params/parameter_file.h"
#include "start/viewer_url.h"

using namespace tessel;

namespace {
WideString Compose(const ParameterMap& m) { return ComposeViewerUrl(m, Latin1ToWide); }
}  // namespace

TEST(ViewerUrl, ForwardsInByteOrderFromTheCommandLine) {
    ParameterMap m;
    ASSERT_TRUE(ParseCommandLineParameters(
        u"\"ServerIP=10.1.1.1\" \"lang=de\" \"URL=http://h/viewer\" \"Zoom=2\" \"a1=x\" "
        u"\"9up=y\" \"InputPath=C:\\in.xml\" \"OutputPath=C:\\out.xml\" \"WindowWidth=9\" "
        u"\"WindowHeight=9\"",
        m));
    EXPECT_EQ(Compose(m), u"http://h/viewer?9up=y&Zoom=2&a1=x&lang=de");
}

TEST(ViewerUrl, NothingForwardedKeepsUrlWithoutQuestionMark) {
    ParameterMap m;
    m.Store("URL", "http://h/v");
    m.Store("ServerIP", "h");
    EXPECT_EQ(Compose(m), u"http://h/v");
}

TEST(ViewerUrl, OwnQueryGetsSecondQuestionMarkAndNothingIsEscaped) {
    ParameterMap m;
    m.Store("URL", "V?x=1");
    m.Store("A", "1");
    EXPECT_EQ(Compose(m), u"V?x=1?A=1");
    m.Store("b", "a b&c=#\xE9");
    m.Store("z", "");
    EXPECT_EQ(Compose(m), u"V?x=1?A=1&b=a b&c=#\u00e9&z=");
}

TEST(ViewerUrl, LookalikeKeysAndEmptyKeyFromFileAreForwarded) {
    ParameterMap m;
    ParameterFileParser p(m);
    p.Feed("URL=http://h/v\n=e\nserverip=s\nUrl=u\n");
    p.Finish();
    EXPECT_EQ(Compose(m), u"http://h/v?=e&Url=u&serverip=s");
}

TEST(ViewerUrl, PiecesAreConvertedUpToTheirFirstNul) {
    ParameterMap m;
    m.Store("URL", std::string("http://h/v\0junk", 15));
    m.Store(std::string("k\0x", 3), std::string("v\0y", 3));
    EXPECT_EQ(Compose(m), u"http://h/v?k=v");
}
