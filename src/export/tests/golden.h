#pragma once

// Documents kept byte for byte in tests/golden/, written by the program as it was when each file was
// committed. A test compares a document with its file; with EDUCA_UPDATE_GOLDEN=1 in the environment
// it writes the file instead (a deliberate change of the document: review the difference before
// committing it).

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace golden {

inline std::filesystem::path pathOf(const std::string& name)
{
    return std::filesystem::path(GOLDEN_DIR) / name;
}

inline std::string read(const std::string& name)
{
    std::ifstream in(pathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text around a byte offset, for a readable report of a difference.
inline std::string around(const std::string& text, std::size_t at)
{
    const std::size_t from = at < 60 ? 0 : at - 60;
    return text.substr(from, std::min<std::size_t>(120, text.size() - std::min(text.size(), from)));
}

// The same text with the value of fecha="..." (the moment of the run) emptied.
inline std::string withoutFecha(std::string text)
{
    const std::string mark = " fecha=\"";
    const auto start = text.find(mark);
    if (start == std::string::npos)
        return text;
    const auto end = text.find('"', start + mark.size());
    if (end != std::string::npos)
        text.erase(start + mark.size(), end - start - mark.size());
    return text;
}

inline ::testing::AssertionResult sameText(
    const std::string& name, const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    const auto diff = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(diff.first - expected.begin());
    return ::testing::AssertionFailure() << pathOf(name).string() << ": the document differs at byte " << at
                                         << " (golden file " << expected.size() << " bytes, document " << actual.size()
                                         << " bytes)\n  golden:   " << around(expected, at)
                                         << "\n  document: " << around(actual, at);
}

// The document equals the golden file byte for byte.
inline ::testing::AssertionResult matches(const std::string& name, const std::string& document)
{
    const char* update = std::getenv("EDUCA_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::filesystem::create_directories(pathOf(name).parent_path());
        std::ofstream(pathOf(name), std::ios::binary) << document;
        return ::testing::AssertionSuccess();
    }
    if (!std::filesystem::exists(pathOf(name)))
        return ::testing::AssertionFailure() << "no golden file " << pathOf(name).string();
    return sameText(name, read(name), document);
}

// The document equals the golden file apart from the value of fecha.
inline ::testing::AssertionResult matchesApartFromFecha(const std::string& name, const std::string& document)
{
    if (!std::filesystem::exists(pathOf(name)))
        return ::testing::AssertionFailure() << "no golden file " << pathOf(name).string();
    return sameText(name, withoutFecha(read(name)), withoutFecha(document));
}

} // namespace golden
