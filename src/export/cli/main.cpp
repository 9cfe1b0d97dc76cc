#include "export/export_tool.h"

#include <clocale>
#include <iostream>
#include <string_view>
#include <vector>

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
