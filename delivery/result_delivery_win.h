// Bringing the result document from the server into "OutputPath", then deleting it there,
// one tool run at a time: the caller's loop waits for each run while the window answers.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/handles_win.h"
#include "base/text.h"
#include "delivery/transfer_commands.h"
#include "winui/web_browser.h"

namespace tessel {

enum class Delivery {
    Delivered,     // in place at "OutputPath"; the delete was sent (or cut short by a close)
    NoOutputPath,  // nothing asked for: nothing fetched, nothing deleted
    Failed,        // not delivered: "OutputPath" as it was, the result still on the server
};

struct DeliveryRequest {
    WideString toolPath;  // empty: no tool registered, nothing is run
    WideString location;
    std::optional<WideString> outputPath;  // empty when "OutputPath" was not given
    std::string viewerBase;                // "URL" (UTF-8): where the delete goes
};

class BackgroundCall;
class ToolRun;
class WorkFile;
struct Roads;

// Downloads the location with the tool into a new file beside "OutputPath" (the tool runs in
// that folder, or its short form, and is given the file's plain ASCII name, whatever its
// build reads), makes it durable and moves it over "OutputPath" only when it arrived whole as
// a 200 answer, and only then asks the viewer base address to delete it. Each run takes the
// page's road: its proxy, its session's cookies, the user's logon where the page would sign
// in silently, and only a server whose certificate Windows accepts gets the session. A run that a blip of the network or a
// briefly unavailable server failed is tried again after a wait; so is the move while another
// program holds a file for a moment.
class ResultDelivery {
public:
    // Starts the download, or ends at once when there is nothing to run.
    explicit ResultDelivery(DeliveryRequest request);
    ~ResultDelivery();  // a run still going is ended; working files go
    ResultDelivery(const ResultDelivery&) = delete;
    ResultDelivery& operator=(const ResultDelivery&) = delete;

    // What to wait for (finding the road, a tool run, the wait before another try, or the
    // file work after the download); null once the delivery is over.
    HANDLE Pending() const;
    // The pending step has ended: takes its result and starts the next one, if any.
    void Resume();
    // A close: a run or a wait ends at once. A download cut short delivers nothing; a delete
    // cut short leaves the delivered result in place. The file work stops waiting for a held
    // file at once but is still pending; it moves nothing into place that it has not moved yet.
    void Cancel();
    // Once Pending() is null.
    Delivery Outcome() const { return m_outcome; }

private:
    struct Settling;
    enum class Step { Over, Routing, Downloading, WaitingToDownload, Settling, Deleting, WaitingToDelete };
    void Prepare();
    void StartDownload();
    void StartDelete();
    bool Run(Step step, const WideString& line, const std::string& input, const char16_t* exitLine);
    void Finish(Delivery outcome);
    void AfterDownload();
    void AfterDelete();
    void Settle();
    void AfterSettling();
    bool WaitBeforeAnotherTry();
    RunFiles Files() const;
    std::pair<std::string, std::string> RunReport() const;

    DeliveryRequest m_request;
    Step m_step = Step::Over;
    WideString m_location;    // without its fragment: what the tool asks for
    WideString m_output;      // "OutputPath" as a full path, in the form that takes any length
    WideString m_folder;      // its folder, likewise: where the working files are
    WideString m_toolFolder;  // the same folder in a form the tool can run in
    std::unique_ptr<WorkFile> m_part, m_head, m_log;
    std::shared_ptr<Roads> m_roads;
    std::unique_ptr<BackgroundCall> m_routing;  // the proxy can take a configuration's fetch
    std::unique_ptr<ToolRun> m_run;
    unsigned m_tries = 0;
    unsigned long long m_firstTry = 0;
    KernelHandle m_wait;  // the timer before another try
    std::shared_ptr<Settling> m_settling;
    std::unique_ptr<BackgroundCall> m_fileWork;  // flush, move and sweep, off the window's thread
    Delivery m_outcome = Delivery::Failed;
};

// The tool's path: the install folder from the registry and "\curl.exe"; empty when no
// absolute folder is registered.
WideString InstalledToolPath();

// The browser's location after a download, when it is a result document (ends in ".xml"
// without its fragment).
std::optional<WideString> ResultLocation(WebBrowser& browser);

}  // namespace tessel
