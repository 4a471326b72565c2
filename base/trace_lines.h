// The trace's vocabulary: every line the program writes to its trace begins with one of
// these. The tests read the trace through tests/bed/tracelines.py, which reads this file:
// keep each line in this one form.
#pragma once

namespace tessel::lines {

inline constexpr char16_t kParametersFromFile[] = u"parameters from file: ";
inline constexpr char16_t kParametersFromCommandLine[] = u"parameters from command line";
inline constexpr char16_t kStartRefused[] = u"exit -1: missing launch parameters";
inline constexpr char16_t kNavigateStartPage[] = u"navigate start page: ";
inline constexpr char16_t kNavigateViewer[] = u"navigate viewer: ";
inline constexpr char16_t kNavigateCopyData[] = u"navigate copydata: ";
inline constexpr char16_t kCopyDataIgnored[] = u"copydata ignored";
inline constexpr char16_t kCopyDataHeld[] = u"copydata held until the viewer request";
inline constexpr char16_t kCopyDataDropped[] = u"copydata dropped: the run ends with its result";
inline constexpr char16_t kBeforeNavigate[] = u"before navigate: ";
inline constexpr char16_t kExitWord[] = u"exit word";
inline constexpr char16_t kClose[] = u"close";
inline constexpr char16_t kZoom[] = u"zoom: ";
inline constexpr char16_t kTitle[] = u"title: ";
inline constexpr char16_t kDocumentMode[] = u"document mode: ";
inline constexpr char16_t kNavigationSoundsOff[] = u"control: navigation sounds off";
inline constexpr char16_t kLoginNoConnection[] = u"login: no connection";
inline constexpr char16_t kLoginSendFailed[] = u"login: send failed";
inline constexpr char16_t kLoginTooManyRedirects[] = u"login: too many redirects";
inline constexpr char16_t kLoginUnhandledError[] = u"login: unhandled HTTP-layer error";
inline constexpr char16_t kDownloadComplete[] = u"download complete: ";
inline constexpr char16_t kRun[] = u"run: ";
inline constexpr char16_t kRunWithoutJob[] = u"run: without a job";
inline constexpr char16_t kDownloadExit[] = u"download exit: ";
inline constexpr char16_t kDeleteExit[] = u"delete exit: ";
inline constexpr char16_t kResultNoOutputPath[] = u"result: no output path";
inline constexpr char16_t kResultOutputPathEmpty[] = u"result: output path empty";
inline constexpr char16_t kResultOutputPathRefused[] = u"result: output path refused";
inline constexpr char16_t kResultNoWorkingFile[] = u"result: no working file beside the output";
inline constexpr char16_t kResultCommandRefused[] = u"result: download command refused";
inline constexpr char16_t kResultDownloadFailed[] = u"result: download failed, nothing deleted";
inline constexpr char16_t kResultNotFlushed[] = u"result: could not flush, nothing deleted";
inline constexpr char16_t kResultNotMoved[] = u"result: could not move into place, nothing deleted; error ";
inline constexpr char16_t kResultMoveHeld[] = u"result: output held by another program, moving again; error ";
inline constexpr char16_t kResultFolderTooLong[] = u"result: output folder too long for curl, nothing run";
inline constexpr char16_t kRoute[] = u"route: ";
inline constexpr char16_t kSessionHandedOver[] = u"session: the page's cookies on curl's input";
inline constexpr char16_t kRunAgain[] = u"again after ";
// "certificate: accepted by Windows for https://h:443, key pinned" (or "checked by curl").
inline constexpr char16_t kCertificateAccepted[] = u"certificate: accepted by Windows for ";
inline constexpr char16_t kCertificateUnjudged[] = u"certificate: not judged, checked by curl, for ";
inline constexpr char16_t kCertificateRefused[] = u"certificate: refused by Windows for ";
inline constexpr char16_t kSessionWithheld[] = u"session: withheld, the server's certificate is not one Windows accepts";
inline constexpr char16_t kSignInAllowed[] = u"sign-in: the user's logon if the server asks, as its zone allows";
// "sign-in not given: 401 Basic": a challenge the run did not answer, or not to the server's liking.
inline constexpr char16_t kSignInNotGiven[] = u"sign-in not given: ";
inline constexpr char16_t kResultDelivered[] = u"result: delivered";
inline constexpr char16_t kResultDeleteCutShort[] = u"result: delete cut short by a close";
inline constexpr char16_t kResultDownloadCancelled[] = u"result: download cancelled by a close, nothing deleted";
inline constexpr char16_t kResultSwept[] = u"result: swept stale working files: ";
inline constexpr char16_t kResultNoTool[] = u"result: no tool folder registered, nothing run";
inline constexpr char16_t kResultMoveCancelled[] = u"result: not moved, closed meanwhile; nothing deleted";
inline constexpr char16_t kResultNotStarted[] = u"result: closed before its delivery, nothing deleted";
inline constexpr char16_t kLoginAbandoned[] = u"login: abandoned by a close";
inline constexpr char16_t kEndSession[] = u"end of session";
inline constexpr char16_t kTimerIgnored[] = u"timer ignored: ";
inline constexpr char16_t kNavigateError[] = u"navigate error: ";
inline constexpr char16_t kNavigateUnreachable[] = u"navigate unreachable page: ";
inline constexpr char16_t kRetry[] = u"retry: login and viewer request again";
inline constexpr char16_t kPageCommandIgnored[] = u"page command ignored, not from the program's page: ";
inline constexpr char16_t kBackToStartPage[] = u"back to the start page refused";
inline constexpr char16_t kWindowClosing[] = u"page closes the window";
inline constexpr char16_t kNewWindow[] = u"new window: ";
// "security problem 12045, refused": what the HTTP layer asked the host, and the answer.
inline constexpr char16_t kSecurityProblem[] = u"security problem ";
inline constexpr char16_t kScriptError[] = u"script error: ";
inline constexpr char16_t kExit[] = u"exit";
// "language: de for de-DE,en-US": the words' language and the user's preferred ones.
inline constexpr char16_t kLanguage[] = u"language: ";
// "login: 200" or "login: not 200".
inline constexpr char16_t kLogin[] = u"login: ";
inline constexpr char16_t kLogin200[] = u"login: 200";
inline constexpr char16_t kLoginNot200[] = u"login: not 200";

}  // namespace tessel::lines
