#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace exporter {

// The text an error box (or the command-line tool's standard error) shows for a failure's message:
// the message with "." added when it is not empty and its last character comes after "." in
// character-code order (so "abc" gets one, "abc." and "abc!" do not, "" stays empty).
std::string errorBoxText(std::string_view message);

// Removes trailing blanks, control characters and periods, in any mix ("Sin espacio. \r\n" gives
// "Sin espacio").
std::string trimFailureText(std::string_view text);

// A document failure's text, in this order of preference: the document layer's own description,
// else the system's text for the failure, each trimmed as trimFailureText does; when both end up
// empty, "OLE error XXXXXXXX" with the failure code in eight upper-case hex digits.
std::string documentFailureText(std::string_view description, std::string_view systemText, std::uint32_t failureCode);

// The system's text for an errno value (in the language of LC_MESSAGES), trimmed; empty when the
// system has none.
std::string systemErrorText(int errorNumber);

// A failure code for an errno value, in the form the component system uses for system errors
// (0x8007xxxx); 0x80004005 (unspecified failure) for 0.
std::uint32_t failureCodeForErrno(int errorNumber);

} // namespace exporter
