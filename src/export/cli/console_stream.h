#pragma once

#ifdef _WIN32

#include <memory>
#include <streambuf>

namespace exporter {

// A stream buffer for the standard output or error handle of a Windows console program (handle is
// STD_OUTPUT_HANDLE or STD_ERROR_HANDLE). Takes UTF-8. In a console it writes the text as UTF-16 with
// WriteConsoleW, so that every character shows whatever the console's code page; redirected to a file
// or a pipe it writes the UTF-8 bytes unchanged, with "\n" line ends.
std::unique_ptr<std::streambuf> standardStreamBuffer(unsigned long handle);

} // namespace exporter

#endif
