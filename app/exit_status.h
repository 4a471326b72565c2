// The process's exit status: the one vocabulary, mapped from the lower layers' outcomes here.
#pragma once

#include "delivery/result_delivery_win.h"

namespace tessel {

// As README's "Exit status" table gives them to the host:
enum class ExitStatus : int {
    // No parameters could be read, or "ServerIP" or "URL" is missing or empty; before any
    // window shows (255 where only a byte is seen).
    MissingParameters = -1,
    // Every other run: closed (before a result, or during the DELETE), an exit word, a result
    // delivered (also when the DELETE then fails), or a result reached with no "OutputPath".
    Normal = 0,
    // The window could not be created (no display, no browser control).
    WindowNotCreated = 1,
    // A result was reached but not delivered: "OutputPath" as it was, the result still on
    // the server.
    NotDelivered = 2,
};

inline ExitStatus ExitStatusOf(Delivery delivery) {
    return delivery == Delivery::Failed ? ExitStatus::NotDelivered : ExitStatus::Normal;
}

}  // namespace tessel
