#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app::logic {

// The argument count that means host mode: the command word and the host window handle.
inline constexpr int HostArgumentCount = 2;

enum class RunMode
{
    StandAlone, // any argument count but two; every argument is ignored
    Host, // exactly two arguments: the command word and the host window handle
};

// Reads a host window handle given as hexadecimal digits (the text that follows the "$" mark).
// At least one digit; only 0-9, A-F, a-f; leading zeros are free; at most eight significant digits.
// The result is the 32-bit pattern of the digits. Nothing for any other text (sign, blank, "$", "0x").
std::optional<std::uint32_t> parseHostHandle(std::string_view digits);

// The failure text for a host window handle that parseHostHandle does not read.
std::string handleFailureText(std::string_view digits);

// What the command line asks of the program at start.
struct StartRequest
{
    // The number of arguments after the program name.
    int argumentCount = 0;
    RunMode mode = RunMode::StandAlone;
    // Argument 1 in host mode, else empty.
    std::string commandWord;
    // The export starts by itself when the window is first shown: host mode, and the command word
    // with A-Z lowered (nothing else changed) equals "importar". Does not depend on the handle.
    bool startsExport = false;
    // In host mode: the handle read from argument 2, or nothing with handleFailure set.
    std::optional<std::uint32_t> hostHandle;
    std::string handleFailure;

    // True when the window goes into the host window: host mode with a readable handle.
    bool embeds() const { return mode == RunMode::Host && hostHandle.has_value(); }

    // The host window handle; throws platform::UserError with handleFailure when it was not readable.
    // Only meaningful in host mode.
    std::uint32_t requireHostHandle() const;
};

// Decides the start from the arguments after the program name (see splitCommandLine).
StartRequest makeStartRequest(const std::vector<std::string>& arguments);

} // namespace app::logic
