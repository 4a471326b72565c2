// Bringing the result document from the server into "OutputPath", then deleting it there,
// one curl run at a time: the caller's loop waits for each run while the window answers.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/handles_win.h"
#include "base/text.h"
#include "delivery/working_files.h"
#include "winui/web_browser.h"

namespace tessel {

enum class Delivery {
    Delivered,     // in place at "OutputPath"; the delete was sent (or cut short by a close)
    NoOutputPath,  // nothing asked for: nothing fetched, nothing deleted
    Failed,        // not delivered: "OutputPath" as it was, the result still on the server
};

struct DeliveryRequest {
    WideString curlPath;  // empty: no curl registered, nothing is run
    WideString location;
    std::optional<WideString> outputPath;  // empty when "OutputPath" was not given
    std::string viewerBase;                // "URL" (UTF-8): where the delete goes
};

class BackgroundCall;
class ToolRun;
class WorkFile;
struct Routes;

// Downloads the location with curl into a new file beside "OutputPath" (curl runs in that
// folder, or its short form, and is given the file's plain ASCII name, whatever its build
// reads), makes it durable and moves it over "OutputPath" only when it arrived whole as a 200
// answer, and only then asks the viewer base address to delete it. Each run takes the page's
// route: its proxy, its session's cookies, the user's logon where the page would sign in
// silently, and only a server whose certificate Windows accepts gets the session. A run that
// a transient failure of the network or a briefly unavailable server failed is tried again
// after a wait; so is the move while another program holds a file for a moment.
class ResultDelivery {
public:
    // Starts the download, or ends at once when there is nothing to run.
    explicit ResultDelivery(DeliveryRequest request);
    ~ResultDelivery();  // a run still going is ended; working files go
    ResultDelivery(const ResultDelivery&) = delete;
    ResultDelivery& operator=(const ResultDelivery&) = delete;

    // What to wait for (finding the route, a curl run, the wait before another try, the file
    // work after the download, or the end of a run a close killed); null once the delivery is
    // over.
    HANDLE Pending() const;
    // The pending step has ended: takes its result and starts the next one, if any.
    void Resume();
    // A close: a wait ends at once; a run is killed, and its end is what is pending next (its
    // working files go only once it has ended). A download cut short delivers nothing; a
    // delete cut short leaves the delivered result in place. The file work stops waiting for
    // a held file at once but is still pending; it moves nothing into place that it has not
    // moved yet.
    void Cancel();
    // Once Pending() is null.
    Delivery Outcome() const { return m_outcome; }

private:
    struct FileWorkState;
    enum class Step { Over, Routing, Downloading, WaitingToDownload, FileWork, Deleting, WaitingToDelete, EndingRun };
    void Prepare();
    void StartDownload();
    void StartDelete();
    bool Run(Step step, const WideString& line, const std::string& input, const char16_t* exitLine);
    void Finish(Delivery outcome);
    void FinishOnceRunEnds(Delivery outcome);
    void AfterDownload();
    void AfterDelete();
    void StartFileWork();
    void AfterFileWork();
    bool WaitBeforeAnotherTry();
    RunFiles Files() const;
    std::pair<std::string, std::string> RunReport() const;

    DeliveryRequest m_request;
    Step m_step = Step::Over;
    WideString m_location;    // without its fragment: what curl asks for
    WideString m_output;      // "OutputPath" as a full path, in the form that takes any length
    WideString m_folder;      // its folder, likewise: where the working files are
    WideString m_curlFolder;  // the same folder in a form curl can run in
    std::unique_ptr<WorkFile> m_part, m_head, m_log;
    std::shared_ptr<Routes> m_routes;
    std::unique_ptr<BackgroundCall> m_routing;  // the proxy can take a configuration's fetch
    std::unique_ptr<ToolRun> m_run;
    unsigned m_tries = 0;
    unsigned long long m_firstTry = 0;
    KernelHandle m_wait;  // the timer before another try
    std::shared_ptr<FileWorkState> m_fileWorkState;
    std::unique_ptr<BackgroundCall> m_fileWork;  // flush, move and sweep, off the window's thread
    Delivery m_outcome = Delivery::Failed;
};

// curl's path: the install folder from the registry and "\curl.exe"; empty when no
// absolute folder is registered.
WideString InstalledCurlPath();

// The browser's location after a download, when it is a result document (ends in ".xml"
// without its fragment).
std::optional<WideString> ResultLocation(WebBrowser& browser);

}  // namespace tessel
