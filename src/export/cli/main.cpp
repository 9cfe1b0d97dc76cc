#include "export/export_tool.h"

#include <clocale>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include "console_stream.h"
#include "platform/wide_text.h"

#include <windows.h>

// Arguments in UTF-16, so that a path with any character arrives whole (the narrow arguments would
// be in the ANSI code page); messages through the console or as UTF-8 bytes (console_stream.h).
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> texts;
    for (int i = 1; i < argc; ++i)
        texts.push_back(platform::narrow(argv[i]));
    const std::vector<std::string_view> arguments(texts.begin(), texts.end());
    const auto outBuffer = exporter::standardStreamBuffer(STD_OUTPUT_HANDLE);
    const auto errBuffer = exporter::standardStreamBuffer(STD_ERROR_HANDLE);
    std::ostream out(outBuffer.get());
    std::ostream err(errBuffer.get());
    const int code = exporter::runExportTool(arguments, out, err);
    out.flush();
    err.flush();
    return code;
}

#else

int main(int argc, char** argv)
{
    // System error texts in the user's language; numbers and dates come from the regional settings,
    // so only the message category follows the locale.
#ifdef LC_MESSAGES
    std::setlocale(LC_MESSAGES, "");
#endif

    std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return exporter::runExportTool(arguments, std::cout, std::cerr);
}

#endif
