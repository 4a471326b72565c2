// The Windows side of files, registry, text and processes, run under Wine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <memory>
#include <vector>

#include "base/com_win.h"
#include "base/file_win.h"
#include "base/handles_win.h"
#include "base/wide_win.h"
#include "base/process_win.h"
#include "base/registry_win.h"
#include "delivery/curl_command.h"
#include "delivery/page_route_win.h"
#include "delivery/result_delivery_win.h"
#include "delivery/working_files.h"
#include "params/parameter_file_win.h"
#include "start/post_data_win.h"
#include "tests/win/fake_browser.h"

#include <psapi.h>
#include <shellapi.h>
#include <wininet.h>

using namespace tessel;

namespace {

WideString TempDir() {
    wchar_t buf[MAX_PATH];
    GetTempPathW(MAX_PATH, buf);
    return FromW(buf);
}

WideString WriteTemp(const WideString& name, const std::string& bytes) {
    const WideString path = TempDir() + name;
    FileHandle file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    EXPECT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    return path;
}

// Names beyond any one code page: Cyrillic and CJK together.
const WideString kForeign = u"\u041e\u0442\u0447\u0451\u0442 \u5831\u544a";

struct PostData {
    ScopedVariant post, headers;
    explicit PostData(const WideString& inputPath) { LoadPostData(inputPath, *post.get(), *headers.get()); }
    std::string Bytes() {
        EXPECT_EQ(V_VT(post.get()), VT_ARRAY | VT_UI1);
        SAFEARRAY* sa = V_ARRAY(post.get());
        EXPECT_EQ(SafeArrayGetDim(sa), 1u);
        LONG lo = -1, hi = -2;
        SafeArrayGetLBound(sa, 1, &lo);
        SafeArrayGetUBound(sa, 1, &hi);
        EXPECT_EQ(lo, 0);
        void* data = nullptr;
        SafeArrayAccessData(sa, &data);
        std::string out(static_cast<char*>(data), static_cast<std::size_t>(hi - lo + 1));
        SafeArrayUnaccessData(sa);
        return out;
    }
};

class RegistryTest : public ::testing::Test {
protected:
    const wchar_t* kKey = L"Software\\TesselTests";
    void SetUp() override { RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_key.put(), nullptr); }
    void TearDown() override {
        m_key.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(m_key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    std::optional<WideString> Read(const wchar_t* name) {
        return ReadRegistryString(HKEY_CURRENT_USER, FromW(kKey), FromW(name));
    }
    RegKey m_key;
};

}  // namespace

TEST(ParameterFileWin, OpensByWideNameAndReportsWhetherItOpened) {
    const WideString path = WriteTemp(u"tessel params " + kForeign + u".txt", "URL=http://h/v\r\nlang=caf\xE9\n");
    ParameterMap m;
    EXPECT_TRUE(ReadParameterFile(path, m));
    EXPECT_EQ(*m.Value("URL"), "http://h/v");
    // No mark and not UTF-8: the ANSI code page's bytes; E9 is an e acute in Western European,
    // a yod in Hebrew (the tests' code pages).
    const UINT acp = GetACP();
    ASSERT_TRUE(acp == 1252 || acp == 1255) << "no reading of E9 here for code page " << acp;
    EXPECT_EQ(*m.Value("lang"), acp == 1252 ? "caf\xC3\xA9" : "caf\xD7\x99");
    ParameterMap n;
    EXPECT_FALSE(ReadParameterFile(TempDir() + u"no such file.txt", n));
    EXPECT_FALSE(ReadParameterFile(TempDir(), n));  // a directory
    EXPECT_FALSE(ReadParameterFile(u"", n));
    EXPECT_FALSE(ReadParameterFile(u"\"" + path + u"\"", n));
    EXPECT_TRUE(n.empty());
    ParameterMap e;
    EXPECT_TRUE(ReadParameterFile(WriteTemp(u"tessel empty.txt", ""), e));
    EXPECT_TRUE(e.empty());
}

TEST(ParameterFileWin, ReadsWhileAnotherProcessWritesTheFile) {
    const WideString path = WriteTemp(u"tessel shared.txt", "ServerIP=s\n");
    FileHandle writer(CreateFileW(W(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    ParameterMap m;
    EXPECT_TRUE(ReadParameterFile(path, m));
    EXPECT_EQ(*m.Value("ServerIP"), "s");
}

TEST(ParameterFileWin, TenMegabytesWithLongLines) {
    std::string bytes = "ServerIP=s\n";
    const std::string line = "k=" + std::string(8000, 'v') + "\n";
    while (bytes.size() < 10u * 1024 * 1024) bytes += line;
    bytes += "URL=u";
    ParameterMap m;
    EXPECT_TRUE(ReadParameterFile(WriteTemp(u"tessel big.txt", bytes), m));
    EXPECT_EQ(*m.Value("URL"), "u");
    EXPECT_EQ(m.Value("k")->size(), 8000u);
}

TEST(PostDataWin, TextModeBytesAndHeaderLine) {
    const std::string doc("<a>\r\n\0b\r\r\n</a>\r\n", 16);
    PostData p(WriteTemp(u"tessel doc " + kForeign + u".xml", doc));
    EXPECT_EQ(p.Bytes(), std::string("<a>\n\0b\r\n</a>\n", 13));
    ASSERT_EQ(V_VT(p.headers.get()), VT_BSTR);
    EXPECT_STREQ(V_BSTR(p.headers.get()), L"Content-Type: text/xml\r\n");
    // Shrunk to the converted count: an array that may change size (a vector array is
    // fixed-size on Windows, and shrinking it there fails).
    SAFEARRAY* sa = V_ARRAY(p.post.get());
    EXPECT_EQ(sa->fFeatures & (FADF_FIXEDSIZE | 0x2000 /* FADF_CREATEVECTOR */), 0);
    PostData z(WriteTemp(u"tessel ctrlz.xml", "abc\x1a" "def"));
    EXPECT_EQ(z.Bytes(), "abc");
    PostData e(WriteTemp(u"tessel empty.xml", ""));
    EXPECT_EQ(e.Bytes(), "");
    EXPECT_EQ(V_VT(e.headers.get()), VT_BSTR);
}

// The document is held once, never twice, not even while it is converted: the private bytes
// it holds (the commit charge; Wine counts the resident ones), and the working set's
// high-water mark (Wine's peak commit charge is no peak).
TEST(PostDataWin, ALargeDocumentIsHeldOnce) {
    const WideString path = TempDir() + u"tessel large.xml";
    const std::string line = "<line>" + std::string(1000, 'x') + "</line>\r\n";
    const std::size_t lines = 64 * 1024 * 1024 / line.size(), size = lines * line.size();
    {
        FileHandle file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        for (std::size_t i = 0; i < lines; ++i)
            ASSERT_TRUE(WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr));
    }
    const auto measure = [] {
        PROCESS_MEMORY_COUNTERS c{};
        K32GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
        return c;
    };
    const auto grown = [size](SIZE_T now, SIZE_T then) { return (double(now) - double(then)) / double(size); };
    const PROCESS_MEMORY_COUNTERS before = measure();
    ASSERT_LT(grown(before.PeakWorkingSetSize, before.WorkingSetSize), 1.5) << "an earlier peak hides this one";
    {
        PostData p(path);
        const PROCESS_MEMORY_COUNTERS after = measure();
        EXPECT_GT(grown(after.PagefileUsage, before.PagefileUsage), 0.9) << "the document is held";
        EXPECT_LT(grown(after.PagefileUsage, before.PagefileUsage), 1.5) << "once";
        EXPECT_GT(grown(after.PeakWorkingSetSize, before.WorkingSetSize), 0.9) << "the peak saw it";
        EXPECT_LT(grown(after.PeakWorkingSetSize, before.WorkingSetSize), 1.5) << "and never twice";
        LONG last = -1;
        SafeArrayGetUBound(V_ARRAY(p.post.get()), 1, &last);
        EXPECT_EQ(static_cast<std::size_t>(last) + 1, size - lines) << "read whole, each CR LF an LF";
    }
    DeleteFileW(W(path));
}

TEST(PostDataWin, UnreadableDocumentLeavesBothEmpty) {
    for (const WideString& path : {TempDir() + u"missing.xml", TempDir(), WideString()}) {
        PostData p(path);
            EXPECT_EQ(V_VT(p.post.get()), VT_EMPTY) << ToUtf8(path);
        EXPECT_EQ(V_VT(p.headers.get()), VT_EMPTY) << ToUtf8(path);
    }
}

TEST_F(RegistryTest, PlainStringsOnly) {
    const wchar_t folder[] = L"C:\\Program Files\\Common";
    Set(L"sz", REG_SZ, folder, sizeof folder);
    Set(L"noterm", REG_SZ, folder, sizeof folder - sizeof(wchar_t));
    const wchar_t embedded[] = L"C:\\a\0junk";
    Set(L"embedded", REG_SZ, embedded, sizeof embedded);
    Set(L"empty", REG_SZ, L"", 0);
    Set(L"expand", REG_EXPAND_SZ, folder, sizeof folder);
    const DWORD number = 7;
    Set(L"dword", REG_DWORD, &number, sizeof number);
    // An odd byte count: every byte is read, none written past the buffer.
    Set(L"odd", REG_SZ, L"abcd", 7);
    EXPECT_EQ(Read(L"odd"), u"abcd");
    EXPECT_EQ(Read(L"sz"), u"C:\\Program Files\\Common");
    EXPECT_EQ(Read(L"noterm"), u"C:\\Program Files\\Common");
    EXPECT_EQ(Read(L"embedded"), u"C:\\a");
    EXPECT_EQ(Read(L"empty"), u"");
    EXPECT_EQ(Read(L"expand"), std::nullopt);
    EXPECT_EQ(Read(L"dword"), std::nullopt);
    EXPECT_EQ(Read(L"missing"), std::nullopt);
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, u"Software\\NoSuchTesselKey", u"sz"), std::nullopt);
}

TEST(PlatformText, SpacesAbove00FF) {
    EXPECT_TRUE(PlatformIsSpaceAbove00FF(0x3000));
    EXPECT_FALSE(PlatformIsSpaceAbove00FF(0x65E5));
    EXPECT_TRUE(PlatformIsWideSpace(u' '));
    EXPECT_FALSE(PlatformIsWideSpace(u'x'));
}

TEST(ToolRun, ExitCodeOrNothingAndAKillEndsItAtOnce) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const WideString cmd = FromW(system) + u"\\cmd.exe";
    // Run in a folder no code page holds, which the program names only by a bare file name.
    const WideString folder = TempDir() + u"tessel run " + kForeign + u"\\";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    auto run = ToolRun::Start(cmd, u"cmd.exe /c echo x>here.txt& exit 3", folder);
    ASSERT_TRUE(run);
    ASSERT_EQ(WaitForSingleObject(run->Process(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(run->ExitCode(), 3u);
    EXPECT_TRUE(DeleteFileW(W(folder + u"here.txt"))) << "the run's current directory is the folder given";
    RemoveDirectoryW(W(folder));
    EXPECT_FALSE(ToolRun::Start(u"C:\\no\\such\\tool.exe", u"tool.exe -k", u""));
    EXPECT_FALSE(ToolRun::Start(cmd, u"", u""));
    // A run that would go on for a minute is ended by a kill, and by the run's end; the
    // caller waits for its process.
    auto slow = ToolRun::Start(cmd, u"cmd.exe /c ping -n 60 127.0.0.1", u"");
    ASSERT_TRUE(slow);
    EXPECT_EQ(WaitForSingleObject(slow->Process(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    slow->Kill();
    EXPECT_EQ(WaitForSingleObject(slow->Process(), 5000), WAIT_OBJECT_0);
    auto dropped = ToolRun::Start(cmd, u"cmd.exe /c ping -n 60 127.0.0.1", u"");
    ASSERT_TRUE(dropped);
    KernelHandle process;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), dropped->Process(), GetCurrentProcess(), process.put(), SYNCHRONIZE,
                                FALSE, 0));
    dropped.reset();
    EXPECT_EQ(WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0) << "the job ends a run its owner let go";
}

namespace {
// The platform's own reading of a command line, as the started program would see it.
std::vector<std::wstring> PlatformArgv(const WideString& line) {
    int argc = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(W(line), &argc), &LocalFree);
    std::vector<std::wstring> out;
    for (int i = 0; argv && i < argc; ++i) out.emplace_back(argv.get()[i]);
    return out;
}
}  // namespace

TEST(CurlCommandWin, PlatformReadsTheCurlPathWhole) {
    const WideString curl = u"C:\\Program Files\\Common Files\\Quorvex\\curl.exe";
    const RunFiles files{u"C:\\My Out\\~tessel-1-0.head", u"C:\\My Out\\~tessel-1-0.part", u"~tessel-1-0.log"};
    TransferRoute signIn;
    signIn.proxy = u"http://p:1";
    signIn.proxySignIn = signIn.serverSignIn = true;
    const auto download = FormatDownloadCommand(curl, files, u"http://h/a b\"/{x,y}[1-3].xml", signIn);
    ASSERT_TRUE(download);
    const auto args = PlatformArgv(*download);
    ASSERT_EQ(args.size(), 31u);
    EXPECT_EQ(args[0], L"C:\\Program Files\\Common Files\\Quorvex\\curl.exe");
    EXPECT_EQ(args[1], L"-q");
    EXPECT_EQ(args[15], L"--proxy-anyauth");
    EXPECT_EQ(args[17], L":");  // the logged-on user, no name of ours
    EXPECT_EQ(args[21], L":");
    EXPECT_EQ(args[24], L"~tessel-1-0.log");
    EXPECT_EQ(args[26], L"C:\\My Out\\~tessel-1-0.head");
    EXPECT_EQ(args[28], L"C:\\My Out\\~tessel-1-0.part");
    EXPECT_EQ(args[30], L"http://h/a%20b%22/{x,y}[1-3].xml");
    const auto remove = FormatDeleteCommand(curl, files, "http://h/viewer space\\", u"a&b c.xml");
    ASSERT_TRUE(remove);
    const auto del = PlatformArgv(*remove);
    ASSERT_EQ(del.size(), 21u);
    EXPECT_EQ(del[0], L"C:\\Program Files\\Common Files\\Quorvex\\curl.exe");
    EXPECT_EQ(del[1], L"-q");
    EXPECT_EQ(del[11], L"*");
    EXPECT_EQ(del[20], L"http://h/viewer%20space\\?file=a%26b%20c.xml");
}

using tessel::testing::FakeBrowser;

TEST(ResultRetrievalWin, OnlyResultLocationsCountAndNothingIsLeftBehind) {
    FakeBrowser page(u"http://127.0.0.1:9/viewer?x=1");
    EXPECT_EQ(ResultLocation(page), std::nullopt);
    FakeBrowser capital(u"http://127.0.0.1:9/jobs/r.XML");
    EXPECT_EQ(ResultLocation(capital), std::nullopt);
    FakeBrowser result(u"http://127.0.0.1:9/jobs/r.xml");
    EXPECT_EQ(ResultLocation(result), std::optional<WideString>(u"http://127.0.0.1:9/jobs/r.xml"));

    // Nothing to run: no OutputPath (a normal end), an empty one, no curl registered (this
    // prefix has none), a curl that cannot start.
    const auto deliver = [](WideString curl, std::optional<WideString> output) {
        ResultDelivery delivery({std::move(curl), u"http://127.0.0.1:9/jobs/r.xml", std::move(output), "http://h/v"});
        for (int steps = 0; HANDLE pending = delivery.Pending(); ++steps) {
            EXPECT_LT(steps, 1) << "only the route is found before a run";
            EXPECT_EQ(WaitForSingleObject(pending, 10000), WAIT_OBJECT_0);
            delivery.Resume();
        }
        return delivery.Outcome();
    };
    EXPECT_EQ(InstalledCurlPath(), u"");
    EXPECT_EQ(deliver(u"C:\\no\\curl.exe", std::nullopt), Delivery::NoOutputPath);
    EXPECT_EQ(deliver(u"C:\\no\\curl.exe", WideString()), Delivery::Failed);
    EXPECT_EQ(deliver(u"", TempDir() + u"out.xml"), Delivery::Failed);
    EXPECT_EQ(deliver(u"C:\\no\\curl.exe", TempDir() + u"out.xml"), Delivery::Failed);
    EXPECT_FALSE(ReadWholeFile(TempDir() + u"out.xml"));
}

namespace {
DeliveryRequest StandInRequest(const WideString& folder, const WideString& name, const WideString& server) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return {WideString(FolderOf(FromW(self))) + u"stand_in_tool.exe", u"http://" + server + u"/jobs/" + name,
            folder + u"out.xml", "http://" + ToUtf8(server) + "/v"};
}
// A delivery by the stand-in tool of the result named `name`, into `folder`, driven as the
// dialog's loop drives it; `cancelWhen` cancels it once that many steps have ended.
Delivery Deliver(const WideString& folder, const WideString& name, int cancelWhen = -1,
                 const WideString& server = u"printserver.test:9") {
    ResultDelivery delivery(StandInRequest(folder, name, server));
    // Finding the route, then the download.
    for (int steps = 0; HANDLE pending = delivery.Pending(); ++steps) {
        if (steps == cancelWhen) {
            delivery.Cancel();
            continue;
        }
        EXPECT_EQ(WaitForSingleObject(pending, 10000), WAIT_OBJECT_0) << ToUtf8(name);
        delivery.Resume();
    }
    return delivery.Outcome();
}
std::vector<std::wstring> Files(const WideString& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    FindHandle search(FindFirstFileW(W(folder + u"*"), &found));
    for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.get(), &found))
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names.push_back(found.cFileName);
    return names;
}
}  // namespace

TEST(ResultDeliveryWin, OnlyAWholeAnswerIsMovedInAndOnlyThenDeleted) {
    const WideString folder = TempDir() + u"tessel delivery " + kForeign + u"\\";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::vector<std::wstring> output{L"out.xml"};
    const auto content = [&folder] { return ReadWholeFile(folder + u"out.xml").value_or("(none)"); };
    // Not a 200, cut mid-document, closed during the download: an earlier result untouched,
    // nothing left behind.
    WriteTemp(u"tessel delivery " + kForeign + u"\\out.xml", "earlier");
    EXPECT_EQ(Deliver(folder, u"missing.xml"), Delivery::Failed);
    EXPECT_EQ(Deliver(folder, u"stall.xml", 1), Delivery::Failed);
    EXPECT_EQ(Deliver(folder, u"cut.xml", 2), Delivery::Failed) << "closed while waiting to try again";
    EXPECT_EQ(Files(folder), output);
    EXPECT_EQ(content(), "earlier");
    EXPECT_EQ(Deliver(folder, u"ok.xml"), Delivery::Delivered);
    EXPECT_EQ(content(), "<result/>");
    // A transient failure: the first try cut, the second whole. The fragment is not the server's.
    EXPECT_EQ(Deliver(folder, u"cutonce.xml#/page"), Delivery::Delivered);
    EXPECT_EQ(content(), "<result/>");
    // Closed during the delete (route, download, file work, then the delete): the result stays.
    EXPECT_TRUE(DeleteFileW(W(folder + u"out.xml")));
    EXPECT_EQ(Deliver(folder, u"slowdelete.xml", 3), Delivery::Delivered);
    EXPECT_EQ(Files(folder), output);
    EXPECT_TRUE(DeleteFileW(W(folder + u"out.xml")));
    // No working file can be made: nothing is run.
    EXPECT_EQ(Deliver(folder + u"missing\\", u"ok.xml"), Delivery::Failed);
    EXPECT_TRUE(RemoveDirectoryW(W(folder)));
}

TEST(ResultDeliveryWin, ACancelledRunEndsInTheLoopAndOnlyThenItsFilesGo) {
    const WideString folder = TempDir() + u"tessel cancel\\";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ResultDelivery delivery(StandInRequest(folder, u"stall.xml", u"printserver.test:9"));
    ASSERT_EQ(WaitForSingleObject(delivery.Pending(), 10000), WAIT_OBJECT_0);  // the route
    delivery.Resume();
    const HANDLE run = delivery.Pending();  // the download, which never ends on its own
    delivery.Cancel();
    ASSERT_EQ(delivery.Pending(), run) << "the killed run's end is the loop's to wait for";
    EXPECT_EQ(Files(folder).size(), 3u) << "its working files wait for it";
    ASSERT_EQ(WaitForSingleObject(run, 10000), WAIT_OBJECT_0);
    delivery.Resume();
    EXPECT_EQ(delivery.Pending(), nullptr);
    EXPECT_EQ(delivery.Outcome(), Delivery::Failed);
    EXPECT_TRUE(Files(folder).empty());
    EXPECT_TRUE(RemoveDirectoryW(W(folder)));
}

TEST(ResultDeliveryWin, EachRunTakesThePagesRouteInAnyFolder) {
    // A folder of 280 characters: curl runs in its short form, our calls take it whole.
    WideString folder = u"\\\\?\\" + TempDir();
    for (int i = 0; folder.size() < 4 + 280; ++i) {
        folder += u"long folder " + WideString(40, static_cast<char16_t>(u'a' + i)) + u"\\";
        ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const WideString plain = folder.substr(4);
    EXPECT_EQ(Deliver(plain, u"ok.xml"), Delivery::Delivered);
    EXPECT_EQ(ReadWholeFile(folder + u"out.xml").value_or("(none)"), "<result/>");
    EXPECT_EQ(Files(folder), std::vector<std::wstring>{L"out.xml"});

    // The page's session and its proxy, from this process's HTTP layer; proxy variables of
    // the environment go nowhere.
    ASSERT_TRUE(InternetSetCookieExW(L"http://printserver.test:9/", L"SID", L"a1; HttpOnly", INTERNET_COOKIE_HTTPONLY, 0));
    const wchar_t* settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const DWORD on = 1, off = 0;
    const wchar_t server[] = L"http=127.0.0.1:3128;https=127.0.0.1:3129";
    RegSetValueExW(key.get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegSetValueExW(key.get(), L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server), sizeof server);
    SetEnvironmentVariableW(L"ALL_PROXY", L"http://127.0.0.1:1");
    SetEnvironmentVariableW(L"NO_PROXY", L"*");
    EXPECT_EQ(Deliver(plain, u"route.xml"), Delivery::Delivered);
    EXPECT_EQ(ReadWholeFile(folder + u"out.xml").value_or("(none)"),
              "input: header = \"Cookie: SID=a1\"\nproxy: http://127.0.0.1:3128; variables: ");
    // This machine is never reached through the proxy.
    EXPECT_EQ(Deliver(plain, u"route.xml", -1, u"127.0.0.9:9"), Delivery::Delivered);
    EXPECT_EQ(ReadWholeFile(folder + u"out.xml").value_or("(none)"), "input: noneproxy: none; variables: ");
    RegSetValueExW(key.get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    SetEnvironmentVariableW(L"ALL_PROXY", nullptr);
    SetEnvironmentVariableW(L"NO_PROXY", nullptr);
    EXPECT_TRUE(DeleteFileW(W(folder + u"out.xml")));
    for (; folder.size() > 4 + TempDir().size(); folder.erase(FolderOf(folder.substr(0, folder.size() - 1)).size()))
        RemoveDirectoryW(W(folder));
}

TEST(PageRouteWin, TheUsersLogonWhereTheZoneSignsInSilently) {
    const ComApartment com(COINIT_APARTMENTTHREADED);
    const wchar_t* settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    RegKey domain, intranet, internet;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(settings) + L"\\ZoneMap\\Domains\\intra.test").c_str(),
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, domain.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(settings) + L"\\Zones\\1").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, intranet.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(settings) + L"\\Zones\\3").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, internet.put(), nullptr),
              ERROR_SUCCESS);
    const auto set = [](HKEY key, const wchar_t* name, DWORD value) {
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    // Windows' defaults: automatic logon in the intranet zone only, for both zones.
    set(domain.get(), L"http", 1);
    set(intranet.get(), L"1A00", 0x00020000);
    set(internet.get(), L"1A00", 0x00020000);
    EXPECT_TRUE(SilentLogonFor(u"http://intra.test/jobs/r.xml"));
    EXPECT_FALSE(SilentLogonFor(u"http://printserver.example/jobs/r.xml")) << "the Internet zone";
    EXPECT_FALSE(SilentLogonFor(u"https://intra.test/jobs/r.xml")) << "mapped for http only";
    set(intranet.get(), L"1A00", 0x00010000);  // the intranet zone asks the user
    EXPECT_FALSE(SilentLogonFor(u"http://intra.test/jobs/r.xml"));
    set(internet.get(), L"1A00", 0x00000000);  // the current user everywhere in that zone
    EXPECT_TRUE(SilentLogonFor(u"http://printserver.example/jobs/r.xml"));
    set(internet.get(), L"1A00", 0x00020000);
    set(intranet.get(), L"1A00", 0x00020000);
    RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(settings) + L"\\ZoneMap\\Domains\\intra.test").c_str());
}
