// The whole export run over six tables (and Asig's memo file), written to a scratch folder.

#include "harness/harness.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzzing::ScratchDir scratch;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto problem = fuzzing::checkExportInput(input, scratch.path())) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
