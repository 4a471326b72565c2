// Bringing the result document from the server into "OutputPath", then deleting it there,
// one tool run at a time: the caller's loop waits for each run while the window answers.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/text.h"
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

// Downloads the location with the tool into a new file beside "OutputPath" (the tool runs in
// that folder and is given the file's plain ASCII name, whatever its build reads), makes it durable
// and moves it over "OutputPath" only when it arrived whole as a 200 answer, and only then
// asks the viewer base address to delete it.
class ResultDelivery {
public:
    // Starts the download, or ends at once when there is nothing to run.
    explicit ResultDelivery(DeliveryRequest request);
    ~ResultDelivery();  // a run still going is ended; working files go
    ResultDelivery(const ResultDelivery&) = delete;
    ResultDelivery& operator=(const ResultDelivery&) = delete;

    // What to wait for (a tool run, or the file work after the download); null once the
    // delivery is over.
    HANDLE Pending() const;
    // The pending step has ended: takes its result and starts the next one, if any.
    void Resume();
    // A close: a run ends at once. A download cut short delivers nothing; a delete cut short
    // leaves the delivered result in place. The file work cannot be cut short: it is still
    // pending, and it moves nothing into place that it has not moved yet.
    void Cancel();
    // Once Pending() is null.
    Delivery Outcome() const { return m_outcome; }

private:
    struct Settling;
    void StartDownload();
    void Finish(Delivery outcome);
    void AfterDownload();
    void AfterSettling();

    DeliveryRequest m_request;
    WideString m_output;  // "OutputPath" as a full path
    WideString m_folder;  // its folder: where the working files are and the tool runs
    std::unique_ptr<WorkFile> m_part, m_head;
    std::unique_ptr<ToolRun> m_run;
    std::shared_ptr<Settling> m_settling;
    std::unique_ptr<BackgroundCall> m_fileWork;  // flush, move and sweep, off the window's thread
    bool m_deleting = false;
    Delivery m_outcome = Delivery::Failed;
};

// The tool's path: the install folder from the registry and "\curl.exe"; empty when no
// absolute folder is registered.
WideString InstalledToolPath();

// The browser's location after a download, when it is a result document (ends in ".xml").
std::optional<WideString> ResultLocation(WebBrowser& browser);

}  // namespace tessel
