#include "help/qt/chm_sitemap.h"

#include "help/qt/html_text.h"
#include "platform/text.h"

#include <optional>
#include <utility>

namespace help::qt {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

struct Tag
{
    std::string name; // lower case, with "/" in front for an end tag
    std::vector<std::pair<std::string, std::string>> attributes; // names in lower case, values decoded
};

// Reads the tag that starts at text[pos] == '<' and moves pos behind its '>'.
Tag readTag(std::string_view text, std::size_t& pos)
{
    Tag tag;
    std::size_t i = pos + 1;
    const std::size_t nameStart = i;
    while (i < text.size() && !isSpace(text[i]) && text[i] != '>')
        ++i;
    tag.name = platform::asciiLower(text.substr(nameStart, i - nameStart));
    if (!tag.name.empty() && tag.name.back() == '/' && tag.name.size() > 1)
        tag.name.pop_back();

    while (i < text.size() && text[i] != '>') {
        while (i < text.size() && (isSpace(text[i]) || text[i] == '/'))
            ++i;
        if (i >= text.size() || text[i] == '>')
            break;
        const std::size_t attrStart = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '=' && text[i] != '>')
            ++i;
        std::string attrName = platform::asciiLower(text.substr(attrStart, i - attrStart));
        while (i < text.size() && isSpace(text[i]))
            ++i;
        std::string value;
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && isSpace(text[i]))
                ++i;
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const char quote = text[i++];
                const std::size_t valueStart = i;
                while (i < text.size() && text[i] != quote)
                    ++i;
                value = decodeEntities(text.substr(valueStart, i - valueStart));
                if (i < text.size())
                    ++i;
            } else {
                const std::size_t valueStart = i;
                while (i < text.size() && !isSpace(text[i]) && text[i] != '>')
                    ++i;
                value = decodeEntities(text.substr(valueStart, i - valueStart));
            }
        }
        if (!attrName.empty())
            tag.attributes.emplace_back(std::move(attrName), std::move(value));
    }
    pos = i < text.size() ? i + 1 : text.size();
    return tag;
}

std::optional<std::string> attribute(const Tag& tag, std::string_view name)
{
    for (const auto& [key, value] : tag.attributes) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

} // namespace

std::vector<ContentsEntry> parseSitemap(std::string_view text)
{
    std::vector<ContentsEntry> roots;
    // The lists that entries go to, innermost last. Pointers stay valid: a list only grows while it
    // is the innermost one.
    std::vector<std::vector<ContentsEntry>*> lists {&roots};
    std::optional<ContentsEntry> current;

    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('<', pos);
        if (open == std::string_view::npos)
            break;
        if (text.substr(open, 4) == "<!--") {
            const std::size_t close = text.find("-->", open + 4);
            pos = close == std::string_view::npos ? text.size() : close + 3;
            continue;
        }
        pos = open;
        const Tag tag = readTag(text, pos);

        if (tag.name == "ul") {
            std::vector<ContentsEntry>* innermost = lists.back();
            lists.push_back(innermost->empty() ? innermost : &innermost->back().children);
        } else if (tag.name == "/ul") {
            if (lists.size() > 1)
                lists.pop_back();
        } else if (tag.name == "object") {
            const std::string type = platform::asciiLower(attribute(tag, "type").value_or(""));
            if (type == "text/sitemap")
                current.emplace();
        } else if (tag.name == "param" && current) {
            const std::string name = platform::asciiLower(attribute(tag, "name").value_or(""));
            const std::string value = attribute(tag, "value").value_or("");
            // Merged entries repeat Name and Local: the first pair names the entry.
            if (name == "name" && current->name.empty())
                current->name = value;
            else if (name == "local" && current->local.empty())
                current->local = value;
        } else if (tag.name == "/object" && current) {
            lists.back()->push_back(std::move(*current));
            current.reset();
        }
    }
    return roots;
}

} // namespace help::qt
