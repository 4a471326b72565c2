#include <gtest/gtest.h>

#include "app/local_pages.h"
#include "app/navigation_request.h"
#include "app/window_size.h"

using namespace tessel;

TEST(StartPage, FolderWithForwardSlashesEscapedOnlyWhereItWouldChangeTheAddress) {
    EXPECT_EQ(BuildStartPageUrl(u"C:\\Program Files\\App\\viewer.exe"),
              WideString(u"file:///C:/Program Files/App/html/progress.html"));
    EXPECT_EQ(BuildStartPageUrl(u"D:\\x\\y\\v.exe"), WideString(u"file:///D:/x/y/html/progress.html"));
    EXPECT_EQ(BuildStartPageUrl(u"\\\\server\\share\\app.exe"),
              WideString(u"file://///server/share/html/progress.html"));
    EXPECT_EQ(BuildStartPageUrl(u"C:\\a%20b#c?d\\v.exe"), WideString(u"file:///C:/a%2520b%23c%3Fd/html/progress.html"));
    EXPECT_FALSE(BuildStartPageUrl(u"viewer.exe").has_value());
    EXPECT_TRUE(IsStartPageAddress(u"file:///C:/x/html/progress.html") && IsStartPageAddress(u"C:\\x\\html\\progress.html"));
    EXPECT_FALSE(IsStartPageAddress(u"file:///C:/x/html/unreachable.html") || IsStartPageAddress(u"C:\\x\\progress.html"));
    // The unreachable page's query: its words' language, the reason, the key; UTF-8, escaped.
    EXPECT_EQ(BuildUnreachablePageUrl(u"C:\\A b\\v.exe", u"x_y\u00e9", u"pt-BR", u"K/9."),
              WideString(u"file:///C:/A b/html/unreachable.html?lang=pt%2DBR&reason=x%5Fy%C3%A9&key=K%2F9."));
}

TEST(OwnPages, InEveryFormTheControlReportsThemAndNoOther) {
    const WideView exe = u"C:\\Program Files\\R\u00e9sultats\\viewer.exe";
    for (const char16_t* own : {u"file:///C:/Program Files/R\u00e9sultats/html/unreachable.html?lang=de&reason=x",
                                u"file:///c:/program%20files/R%C3%A9sultats/HTML/unreachable.html",
                                u"C:\\Program Files\\R\u00e9sultats\\html\\progress.html"})
        EXPECT_TRUE(IsOwnPageAddress(own, exe)) << ToUtf8(own);
    // A folder named with the characters an address escapes, in both forms.
    const WideView odd = u"C:\\C#?%41\\viewer.exe";
    for (const char16_t* own : {u"file:///C:/C%23%3F%2541/html/unreachable.html?key=k", u"C:\\C#?%41\\html\\progress.html"})
        EXPECT_TRUE(IsOwnPageAddress(own, odd)) << ToUtf8(own);
    EXPECT_FALSE(IsOwnPageAddress(u"C:\\C#?A\\html\\progress.html", odd));
    for (const char16_t* other : {u"http://h/html/unreachable.html", u"file:///C:/Program Files/html/unreachable.html",
                                  u"file:///C:/Program Files/R\u00e9sultats/html/other.html", u"about:blank", u""})
        EXPECT_FALSE(IsOwnPageAddress(other, exe)) << ToUtf8(other);
}

TEST(PropertyName, LastExtensionOnlyIsCut) {
    EXPECT_EQ(FileStem(u"C:\\x\\Viewer.exe"), u"Viewer");
    EXPECT_EQ(FileStem(u"C:\\x.y\\my.viewer.exe"), u"my.viewer");
    EXPECT_EQ(FileStem(u"C:\\x.y\\noext"), u"noext");
    EXPECT_EQ(FileStem(u"C:/x.y/v.exe"), u"v");
}

TEST(WindowSize, BothKeysOrDefault) {
    ParameterMap m;
    EXPECT_EQ(ChooseWindowSize(m).width, 1260);
    m.Store("WindowWidth", "900");
    EXPECT_EQ(ChooseWindowSize(m).width, 1260);
    m.Store("WindowHeight", "700");
    auto s = ChooseWindowSize(m);
    EXPECT_EQ(s.width, 900);
    EXPECT_EQ(s.height, 700);
    ParameterMap h;
    h.Store("WindowHeight", "700");
    EXPECT_EQ(ChooseWindowSize(h).height, 786);
}

TEST(WindowSize, LeadingDecimalNumberRules) {
    EXPECT_EQ(ParseLeadingInt("1024 "), 1024);
    EXPECT_EQ(ParseLeadingInt("1024abc"), 1024);
    EXPECT_EQ(ParseLeadingInt("800px"), 800);
    EXPECT_EQ(ParseLeadingInt(" \t+12"), 12);
    // Every white space of the C locale may stand before the number; nothing else may.
    for (const char* spaced : {" 5", "\t5", "\n5", "\v5", "\f5", "\r5", " \t\n\v\f\r5"})
        EXPECT_EQ(ParseLeadingInt(spaced), 5) << static_cast<int>(spaced[0]);
    for (const char* other : {"\x1c" "5", "\xa0" "5", "_5", "\b5"}) EXPECT_FALSE(ParseLeadingInt(other)) << other;
    EXPECT_EQ(ParseLeadingInt("-5"), -5);
    EXPECT_EQ(ParseLeadingInt("0"), 0);
    EXPECT_EQ(ParseLeadingInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseLeadingInt("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(ParseLeadingInt("2147483648"));
    EXPECT_FALSE(ParseLeadingInt("99999999999999999999999999"));
    EXPECT_FALSE(ParseLeadingInt("abc"));
    EXPECT_FALSE(ParseLeadingInt(""));
    EXPECT_FALSE(ParseLeadingInt("-"));
    ParameterMap m;
    m.Store("WindowWidth", "garbage");
    m.Store("WindowHeight", "700");
    EXPECT_EQ(ChooseWindowSize(m).width, 1260);
    EXPECT_EQ(ChooseWindowSize(m).height, 786);
    m.Store("WindowWidth", "900");
    m.Store("WindowHeight", "tall");
    EXPECT_EQ(ChooseWindowSize(m).width, 1260);
}

TEST(WindowSize, ScaledToTheDisplayInWholePixels) {
    struct Case { int dpi, width, height; };
    // 1260 x 786 at 100, 125, 150 and 200 %: 786 x 1.25 = 982.5 rounds up.
    for (const Case c : {Case{96, 1260, 786}, Case{120, 1575, 983}, Case{144, 1890, 1179}, Case{192, 2520, 1572}}) {
        const WindowSize s = ScaleToDpi(kDefaultWindowSize, c.dpi);
        EXPECT_EQ(s.width, c.width) << c.dpi;
        EXPECT_EQ(s.height, c.height) << c.dpi;
    }
    EXPECT_EQ(ScaleToDpi(0, 144), 0);
    EXPECT_EQ(ScaleToDpi(-50, 144), -50);
    EXPECT_EQ(ScaleToDpi(700, 0), 700);
    EXPECT_EQ(ScaleToDpi(700, -96), 700);
    EXPECT_EQ(ScaleToDpi(1431655764, 144), 2147483646);
    EXPECT_EQ(ScaleToDpi(2125344640, 97), 2147483647) << "2147483646.67 rounds to the largest int: it fits";
    EXPECT_EQ(ScaleToDpi(1431655765, 144), 1431655765) << "2147483647.5 rounds beyond int: unscaled";
    EXPECT_EQ(ScaleToDpi(2147483647, 192), 2147483647);
    EXPECT_EQ(ZoomToApply(144, 100), std::optional<int>(150));
    EXPECT_EQ(ZoomToApply(120, 100), std::optional<int>(125));
    EXPECT_EQ(ZoomToApply(144, 150), std::nullopt) << "the control zoomed the page itself";
    EXPECT_EQ(ZoomToApply(96, 100), std::nullopt);
    EXPECT_EQ(ZoomToApply(0, 100), std::nullopt);
    // Another monitor: the control's own scale (or 100 %) follows; a user's zoom keeps its share.
    EXPECT_EQ(ZoomForDpiChange(96, 144, 150), std::optional<int>(100));
    EXPECT_EQ(ZoomForDpiChange(120, 96, 100), std::optional<int>(125));
    EXPECT_EQ(ZoomForDpiChange(144, 96, 80), std::optional<int>(120));
    EXPECT_EQ(ZoomForDpiChange(192, 144, 100), std::optional<int>(200));
    EXPECT_EQ(ZoomForDpiChange(250, 110, 115), std::optional<int>(260)) << "115 % is the control's own at 110 dpi";
    EXPECT_EQ(ZoomForDpiChange(144, 144, 150), std::nullopt);
    EXPECT_EQ(ZoomForDpiChange(144, 96, 0), std::nullopt) << "no zoom could be read";
}

TEST(WindowSize, PopupsWhereThePageAsksWithinTheWorkArea) {
    const ScreenRect work{0, 0, 1920, 1040}, current{50, 50, 850, 650};
    // Asked in 96-dpi pixels: scaled, the frame added to the page's size.
    EXPECT_EQ(PlacePopup({100, 80, 400, 300}, current, work, 144, 16, 39), (ScreenRect{150, 120, 766, 609}));
    EXPECT_EQ(PlacePopup({std::nullopt, std::nullopt, 400, std::nullopt}, current, work, 96), (ScreenRect{50, 50, 450, 650}));
    // Too large or off the monitor: cut and moved in.
    EXPECT_EQ(PlacePopup({-500, 900, 5000, 300}, current, work, 96), (ScreenRect{0, 740, 1920, 1040}));
    // Cascaded: each one a step further, from three quarters of the owner's size.
    const ScreenRect owner{0, 0, 1260, 786};
    EXPECT_EQ(CascadePopup(owner, work, 0, 30), (ScreenRect{30, 30, 975, 619}));
    EXPECT_EQ(CascadePopup(owner, work, 1, 30), (ScreenRect{60, 60, 1005, 649}));
    EXPECT_EQ(CascadePopup(owner, {0, 0, 1010, 660}, 2, 30), (ScreenRect{30, 30, 975, 619}))
        << "back to the first place where it would leave the work area";
}

namespace {
// A host's payload, written here by hand: free text in bytes 0-509, then the URL as UTF-16LE
// with its NUL from byte 510.
std::string Payload(const std::u16string& url, char lead = 'L') {
    std::string p(2558, '\0');
    std::fill(p.begin(), p.begin() + 510, lead);
    for (std::size_t i = 0; i < url.size(); ++i) {
        p[510 + 2 * i] = static_cast<char>(url[i] & 0xFF);
        p[511 + 2 * i] = static_cast<char>(url[i] >> 8);
    }
    return p;
}
}  // namespace

TEST(NavigationRequest, LittleEndianUrlAtByte510ExactSizeOnly) {
    std::string p = Payload(u"http://127.0.0.1/x\u00e9\u65e5");
    EXPECT_EQ(DecodeNavigationRequest(p.data(), p.size()), WideString(u"http://127.0.0.1/x\u00e9\u65e5"));
    EXPECT_FALSE(DecodeNavigationRequest(p.data(), 2557));
    EXPECT_FALSE(DecodeNavigationRequest(p.data(), 2559));
    EXPECT_FALSE(DecodeNavigationRequest(nullptr, 2558));
}

TEST(NavigationRequest, FullLengthUrlAndMissingTerminator) {
    const WideString url1023(1023, u'a');
    std::string p = Payload(url1023);
    EXPECT_EQ(DecodeNavigationRequest(p.data(), p.size()), url1023);
    std::string bad(2558, 'x');  // no terminator in either field
    EXPECT_FALSE(DecodeNavigationRequest(bad.data(), bad.size()));
    // The leading field is never read: garbage there still decodes the URL.
    std::string lead = Payload(u"u", '\xFF');
    EXPECT_EQ(DecodeNavigationRequest(lead.data(), lead.size()), WideString(u"u"));
}
