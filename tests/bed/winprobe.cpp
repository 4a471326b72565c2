// Test helper that stands where the host application would: starts the viewer with an
// exact command line, finds its window by its property and drives it with messages.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>


namespace {

std::wstring ReadUtf8File(const wchar_t* path) {
    FILE* f = _wfopen(path, L"rb");
    if (!f) return {};
    std::string bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
    if (bytes.empty()) return {};
    int len = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring out(len, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), out.data(), len);
    return out;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int len = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string out(len, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), out.data(), len, nullptr, nullptr);
    return out;
}

// A viewer is picked by its process ("pid:N", so parallel viewers never mix) or, as a host
// would, by the window property named after the executable.
struct Search {
    const wchar_t* prop;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (wcscmp(cls, L"#32770") != 0) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    // By process id: that process's window once its property is set, the last step of its
    // initialisation before the start timer.
    const wchar_t* prop = s->pid ? L"tessel" : s->prop;
    const bool match = (!s->pid || pid == s->pid) && GetPropW(hwnd, prop) == reinterpret_cast<HANDLE>(1234);
    if (!match) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND Find(const wchar_t* selector, DWORD timeoutMs) {
    const DWORD pid = wcsncmp(selector, L"pid:", 4) == 0 ? wcstoul(selector + 4, nullptr, 10) : 0;
    const DWORD start = GetTickCount();
    for (;;) {
        Search s{selector, pid, nullptr};
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount() - start >= timeoutMs) return s.found;
        Sleep(20);
    }
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

int Run(const wchar_t* exe, const wchar_t* tailFile) {
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\"";
    std::wstring tail = ReadUtf8File(tailFile);
    if (!tail.empty()) cmd += L" " + tail;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        printf("start failed %lu\n", GetLastError());
        return 200;
    }
    printf("pid %lu\n", pi.dwProcessId);
    fflush(stdout);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    printf("exit %ld\n", (long)(int)code);
    fflush(stdout);
    return (int)code;
}

int SendCopyData(HWND hwnd, size_t size, const std::wstring& mode, const std::wstring& url, int count) {
    // The layout a host writes, built here by hand: 510 bytes of free text, then the URL as
    // UTF-16LE with its NUL from byte 510 to 2557.
    constexpr size_t kSize = 2558, kUrlAt = 510;
    std::string payload(kSize, '\0');
    std::memcpy(payload.data(), "lead", 4);
    for (size_t i = 0; i < url.size() && kUrlAt + 2 * i + 1 < kSize; ++i) {
        payload[kUrlAt + 2 * i] = static_cast<char>(url[i] & 0xFF);
        payload[kUrlAt + 2 * i + 1] = static_cast<char>(url[i] >> 8);
    }
    if (mode == L"noterm") payload.assign(kSize, 'A');
    payload.resize(size, '\0');
    COPYDATASTRUCT cds{};
    cds.dwData = 7;
    cds.cbData = static_cast<DWORD>(size);
    cds.lpData = mode == L"null" ? nullptr : payload.data();
    DWORD_PTR result = 0;
    int ok = 0;
    for (int i = 0; i < count; ++i) {
        if (SendMessageTimeoutW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 10000,
                                &result) &&
            result == TRUE)
            ++ok;
    }
    printf("copydata %d/%d\n", ok, count);
    return ok == count ? 0 : 1;
}

// Processes whose executable has this name (curl.exe, say), in the whole session.
int CountProcesses(const wchar_t* name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    int n = 0;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe))
        if (_wcsicmp(pe.szExeFile, name) == 0) ++n;
    CloseHandle(snap);
    return n;
}

// Asks the window what another process's SendMessage asks: WM_NULL every 50 ms, each answer
// timed; and whether Windows would call it hung. For `ms` milliseconds, or (0) until the
// window is gone.
int Watch(HWND hwnd, DWORD ms) {
    const DWORD start = GetTickCount();
    DWORD worst = 0, sent = 0, unanswered = 0;
    bool hung = false;
    while (IsWindow(hwnd) && (ms == 0 || GetTickCount() - start < ms)) {
        const DWORD before = GetTickCount();
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
        const DWORD took = GetTickCount() - before;
        if (!IsWindow(hwnd)) break;  // gone while asked: no answer to count
        ++sent;
        if (!answered) ++unanswered;
        if (took > worst) worst = took;
        hung = hung || IsHungAppWindow(hwnd);
        Sleep(50);
    }
    printf("worst %lu\nsent %lu\nunanswered %lu\nhung %d\n", worst, sent, unanswered, hung ? 1 : 0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: winprobe run EXE TAILFILE | wait PROP MS | info PROP | gone PROP MS |\n"
                        "  copydata PROP SIZE ok|null|noterm URL [COUNT] | syscommand PROP ID |\n"
                        "  close PROP | send|post PROP MSG WPARAM | key PROP VK | show PROP SW | focus PROP | watch PROP MS | count EXE | argv FILE |\n"
                        "  hold FILE MS | trust CERT.DER | dismiss CAPTION\n");
        return 2;
    }
    const std::wstring verb = argv[1];
    if (verb == L"run" && argc >= 4) return Run(argv[2], argv[3]);
    if (verb == L"argv") {
        // A command line (UTF-8 in a file) as Windows splits it for the program it starts.
        int argc2 = 0;
        LPWSTR* args = CommandLineToArgvW(ReadUtf8File(argv[2]).c_str(), &argc2);
        for (int i = 0; args && i < argc2; ++i) printf("%s\n", Utf8(args[i]).c_str());
        if (args) LocalFree(args);
        return 0;
    }
    if (verb == L"hold" && argc >= 4) {
        // As a scanner or a preview pane holds a file: open without delete sharing, for MS.
        HANDLE f = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            printf("not held %lu\n", GetLastError());
            return 1;
        }
        printf("held %lu\n", GetCurrentProcessId());
        fflush(stdout);
        Sleep(wcstoul(argv[3], nullptr, 10));
        CloseHandle(f);
        printf("released\n");
        return 0;
    }
    if (verb == L"trust") {
        // The user's trusted roots, where Wine's chain checks find them: this prefix only.
        FILE* f = _wfopen(argv[2], L"rb");
        std::string der;
        char buf[4096];
        size_t n;
        while (f && (n = fread(buf, 1, sizeof buf, f)) > 0) der.append(buf, n);
        if (f) fclose(f);
        if (der.empty() || !CertAddEncodedCertificateToSystemStoreW(
                               L"ROOT", reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()))) {
            printf("not trusted %lu\n", GetLastError());
            return 1;
        }
        printf("trusted\n");
        return 0;
    }
    if (verb == L"count") {
        printf("count %d\n", CountProcesses(argv[2]));
        return 0;
    }
    if (verb == L"mem") {
        // Peak working set and peak private bytes (the commit charge) of a process, in bytes.
        HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, wcstoul(argv[2], nullptr, 10));
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof pmc;
        if (!p || !GetProcessMemoryInfo(p, &pmc, sizeof pmc)) {
            printf("no process\n");
            return 1;
        }
        printf("peak %llu\nnow %llu\nprivate %llu\n", (unsigned long long)pmc.PeakWorkingSetSize,
               (unsigned long long)pmc.WorkingSetSize, (unsigned long long)pmc.PeakPagefileUsage);
        CloseHandle(p);
        return 0;
    }
    const wchar_t* prop = argv[2];
    if (verb == L"wait") {
        HWND h = Find(prop, argc > 3 ? wcstoul(argv[3], nullptr, 10) : 10000);
        DWORD pid = 0;
        if (h) GetWindowThreadProcessId(h, &pid);
        printf(h ? "found %lu\n" : "none\n", pid);
        return h ? 0 : 1;
    }
    if (verb == L"gone") {
        const DWORD limit = argc > 3 ? wcstoul(argv[3], nullptr, 10) : 10000, start = GetTickCount();
        while (Find(prop, 0)) {
            if (GetTickCount() - start > limit) {
                printf("still there\n");
                return 1;
            }
            Sleep(20);
        }
        printf("gone\n");
        return 0;
    }
    if (verb == L"watch") {
        // The window may not be there yet: a benchmark starts watching with the launch.
        HWND h = Find(prop, 30000);
        if (!h) {
            printf("no window\n");
            return 1;
        }
        return Watch(h, argc > 3 ? wcstoul(argv[3], nullptr, 10) : 0);
    }
    if (verb == L"dismiss") {
        // A prompt of the system's, by its caption, answered as its close button does.
        HWND prompt = FindWindowW(nullptr, argv[2]);
        if (!prompt) {
            printf("none\n");
            return 1;
        }
        PostMessageW(prompt, WM_CLOSE, 0, 0);
        printf("dismissed\n");
        return 0;
    }
    HWND hwnd = Find(prop, 5000);
    if (!hwnd) {
        printf("no window\n");
        return 1;
    }
    if (verb == L"info") {
        RECT r, c;
        GetWindowRect(hwnd, &r);
        GetClientRect(hwnd, &c);
        wchar_t caption[1024] = {};
        GetWindowTextW(hwnd, caption, 1024);
        HWND control = GetDlgItem(hwnd, 1001);
        RECT cr{};
        if (control) GetWindowRect(control, &cr);
        printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        printf("client %ld %ld\n", c.right, c.bottom);
        printf("control %ld %ld\n", cr.right - cr.left, cr.bottom - cr.top);
        // The property a host looks for, named after the executable (default "tessel").
        printf("prop %lld\n", (long long)(INT_PTR)GetPropW(hwnd, argc > 3 ? argv[3] : L"tessel"));
        printf("visible %d\niconic %d\n", IsWindowVisible(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0);
        printf("caption %s\n", Utf8(caption).c_str());
        return 0;
    }
    if (verb == L"copydata" && argc >= 5) {
        return SendCopyData(hwnd, wcstoul(argv[3], nullptr, 10), argv[4], argc > 5 ? argv[5] : L"",
                            argc > 6 ? _wtoi(argv[6]) : 1);
    }
    if (verb == L"syscommand" && argc >= 4) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(hwnd, WM_SYSCOMMAND, wcstoul(argv[3], nullptr, 0), 0, SMTO_NORMAL, 10000, &result);
        printf("sent\n");
        return 0;
    }
    if ((verb == L"send" || verb == L"post") && argc >= 5) {
        // Any message, as another process on the desktop may send or post it.
        const UINT message = wcstoul(argv[3], nullptr, 0);
        const WPARAM wp = wcstoul(argv[4], nullptr, 0);
        DWORD_PTR result = 0;
        if (verb == L"post")
            PostMessageW(hwnd, message, wp, 0);
        else
            SendMessageTimeoutW(hwnd, message, wp, 0, SMTO_NORMAL, 10000, &result);
        printf("answer %lld\n", (long long)result);
        return 0;
    }
    if (verb == L"close") {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        printf("posted\n");
        return 0;
    }
    if (verb == L"focus") {
        // Where the window's thread holds the keyboard focus: the dialog, the control's
        // container (our window of the control's class), inside it, or elsewhere. Focus moves
        // on activation, which the viewer's thread handles in its own time: wait up to 5 s for
        // it to settle inside the control before reporting.
        HWND container = GetDlgItem(hwnd, 1001);
        auto where = [&](HWND focus) {
            return !focus                                   ? "none"
                   : focus == hwnd                          ? "dialog"
                   : focus == container                     ? "container"
                   : container && IsChild(container, focus) ? "inside"
                                                            : "elsewhere";
        };
        HWND focus = FocusOf(hwnd);
        for (DWORD start = GetTickCount(); strcmp(where(focus), "inside") != 0 && GetTickCount() - start < 5000;
             focus = FocusOf(hwnd))
            Sleep(20);
        wchar_t cls[128] = {};
        if (focus) GetClassNameW(focus, cls, 128);
        printf("focus %s\nclass %s\n", where(focus), Utf8(cls).c_str());
        return 0;
    }
    if (verb == L"key" && argc >= 4) {
        // Keys go where the user's would: to the focus window of the viewer's thread.
        const WPARAM vk = wcstoul(argv[3], nullptr, 0);
        HWND focus = FocusOf(hwnd);
        HWND target = focus ? focus : hwnd;
        PostMessageW(target, WM_KEYDOWN, vk, 1);
        PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
        printf("posted %s\n", target == hwnd ? "dialog" : "focus");
        return 0;
    }
    if (verb == L"show" && argc >= 4) {
        ShowWindow(hwnd, _wtoi(argv[3]));
        Sleep(100);
        printf("iconic %d\n", IsIconic(hwnd) ? 1 : 0);
        return 0;
    }
    fprintf(stderr, "unknown verb\n");
    return 2;
}
