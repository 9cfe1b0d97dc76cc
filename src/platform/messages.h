#pragma once

// Texts of the system layer, as the user sees them (UTF-8).
namespace platform::messages {

// An ini file that cannot be written, followed by its path; in English, as the host's own text is.
inline constexpr const char* UnableToWrite = "Unable to write to ";

} // namespace platform::messages
