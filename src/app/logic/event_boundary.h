#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace app::logic {

// The error box's text for a failure that left an event handler: the failure's message with "."
// added by the final-period rule (exporter::errorBoxText); UnexpectedFailure (with its period) for a
// failure of a kind the program does not know. Nothing for a silent abort, which is never shown.
std::optional<std::string> errorBoxTextOf(std::exception_ptr failure);

// Runs a handler at the event boundary: a failure that leaves it is handed to showErrorBox with its
// error-box text (a silent abort is dropped), and the program goes on. Answers true when the handler
// ended without a failure.
bool runAtEventBoundary(
    const std::function<void()>& handler, const std::function<void(const std::string& text)>& showErrorBox);

} // namespace app::logic
