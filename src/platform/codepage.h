#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The system's ANSI code page: on Windows GetACP(); elsewhere the setting EDUCA_ANSI_CP, 1252 by default.
int ansiCodePage();

// The system's OEM code page: on Windows GetOEMCP(); elsewhere the setting EDUCA_OEM_CP, 850 by default.
int oemCodePage();

// The code page that a dBase language driver byte (header offset 29) stands for; 0 when the byte is 0
// or unknown, in which case the caller falls back to the OEM code page.
int codePageForLanguageDriver(std::uint8_t driverId);

// The code page of a dBase 7 language driver name such as "DB850ES0" or "DBWINUS0"; 0 when unknown.
int codePageForDriverName(std::string_view name);

// Converts 8-bit text in the given code page to UTF-8. Code page 65001 is taken as UTF-8 already
// (invalid sequences are replaced). A byte that has no character in the code page becomes U+FFFD.
// Uses the system's converter (iconv, or MultiByteToWideChar on Windows). Never throws for bad bytes.
std::string toUtf8(std::string_view bytes, int codePage);

// Converts UTF-8 text to the given code page; characters that the code page cannot hold become '?'.
std::string fromUtf8(std::string_view utf8, int codePage);

// True for the code pages whose characters take more than one byte: the double-byte pages (932, 936,
// 949, 950, 1361) and UTF-8 (65001). Their texts are converted whole, never byte by byte.
bool isMultiByteCodePage(int codePage);

// True when the code page can be converted on this system.
bool isCodePageSupported(int codePage);

} // namespace platform
