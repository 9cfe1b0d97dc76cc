#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app::logic {

// Tells whether a byte opens a double-byte character in the code page the command line is written in.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// For single-byte code pages: no byte is a lead byte.
bool noLeadBytes(unsigned char);

// Splits a raw command line (as the system hands it over, first token being the program's own name)
// into the arguments that follow the program name, in order.
// Separators are the bytes 1 to 32; before each token runs of separators and of adjacent "" pairs are
// skipped; a double quote opens a stretch that runs to the next quote (or the end of the line) in
// which separators belong to the token; quotes are dropped. The first token is skipped even when
// empty, and the list ends at the first empty token. The line ends at its first NUL byte.
// The second byte of a double-byte character (as isLeadByte tells) is never taken for a separator
// or a quote; a lead byte at the very end of the line stands alone.
std::vector<std::string> splitCommandLine(
    std::string_view commandLine, const LeadBytePredicate& isLeadByte = noLeadBytes);

// The arguments of an already split argument vector (argv[0] being the program): argv[1] onwards, up
// to but not including the first empty argument, since an empty argument cannot be passed on the
// system the program was made for.
std::vector<std::string> argumentsFromArgv(std::span<const char* const> argv);

} // namespace app::logic
