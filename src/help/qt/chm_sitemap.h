#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace help::qt {

// One entry of a compiled help file's table of contents.
struct ContentsEntry
{
    std::string name; // shown text, UTF-8, character references decoded
    std::string local; // the page as the sitemap names it ("exportar.html", "tablas.html#letras"); may be empty
    std::vector<ContentsEntry> children;

    bool operator==(const ContentsEntry&) const = default;
};

// Reads a sitemap (the .hhc table of contents, UTF-8 text): every <OBJECT type="text/sitemap"> gives one
// entry from its "Name" and "Local" parameters, and a <UL> that follows an entry holds that entry's
// children. Tag and parameter names are compared without regard to case. Text that is not a sitemap
// gives no entries; unbalanced lists are closed at the end.
std::vector<ContentsEntry> parseSitemap(std::string_view text);

} // namespace help::qt
