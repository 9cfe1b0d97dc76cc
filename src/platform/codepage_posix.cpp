// Code pages on POSIX systems: iconv converts, and the system's ANSI and OEM code pages are settings.

#include "platform/codepage.h"
#include "platform/codepage_system.h"

#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace platform {

namespace detail {

namespace {

int codePageSetting(const char* variable, int fallback)
{
    const char* text = std::getenv(variable);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value <= 0 || value > 65535)
        return fallback;
    return static_cast<int>(value);
}

std::string iconvName(int codePage)
{
    switch (codePage) {
    case Utf8CodePage:
        return "UTF-8";
    case 10000:
        return "MACINTOSH";
    case 10006:
        return "MAC-GREEK"; // may be missing; isCodePageSupported tells
    case 10007:
        return "MAC-CYRILLIC";
    case 10029:
        return "MAC-CENTRALEUROPE";
    case 20866:
        return "KOI8-R";
    case 28591:
        return "ISO-8859-1";
    default:
        return "CP" + std::to_string(codePage);
    }
}

class Iconv
{
public:
    Iconv(const std::string& to, const std::string& from)
        : m_handle(iconv_open(to.c_str(), from.c_str()))
    {
    }
    ~Iconv()
    {
        if (valid())
            iconv_close(m_handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

// Converts one byte sequence; answers false when the input is not valid in the source code page.
bool convertWhole(iconv_t handle, std::string_view in, std::string& out)
{
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(in.size() * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    while (inLeft > 0) {
        std::size_t r = iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                std::size_t used = buffer.size() - outLeft;
                buffer.resize(buffer.size() * 2);
                outPtr = buffer.data() + used;
                outLeft = buffer.size() - used;
                continue;
            }
            return false;
        }
    }
    out.assign(buffer.data(), buffer.size() - outLeft);
    return true;
}

std::mutex converterMutex;

// The converter from a code page to UTF-8, opened on first use and kept for the rest of the run;
// nullptr when iconv cannot convert the code page. For use under the lock of converterMutex.
iconv_t converterFor(int codePage)
{
    static std::map<int, std::unique_ptr<Iconv>> converters;
    auto& slot = converters[codePage];
    if (!slot)
        slot = std::make_unique<Iconv>("UTF-8", iconvName(codePage));
    return slot->valid() ? slot->handle() : nullptr;
}

} // namespace

SystemCodePage systemCodePage(int codePage)
{
    std::lock_guard lock(converterMutex);
    if (converterFor(codePage) == nullptr)
        return SystemCodePage::Unsupported;
    return isMultiByteCodePage(codePage) ? SystemCodePage::MultiByte : SystemCodePage::SingleByte;
}

std::optional<std::string> systemByteToUtf8(int codePage, char byte)
{
    std::lock_guard lock(converterMutex);
    const iconv_t handle = converterFor(codePage);
    std::string out;
    if (handle == nullptr || !convertWhole(handle, std::string_view(&byte, 1), out) || out.empty())
        return std::nullopt;
    return out;
}

std::optional<std::string> systemToUtf8(std::string_view bytes, int codePage)
{
    std::lock_guard lock(converterMutex);
    const iconv_t handle = converterFor(codePage);
    if (handle == nullptr)
        return std::nullopt;
    // One pass. Where a sequence is invalid, or cut off at the end, U+FFFD stands for its first byte
    // and the conversion goes on after that byte. (Trying ever shorter pieces instead takes cubic
    // time on a long text of garbage.)
    std::string out;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    std::string buffer(bytes.size() * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t r = iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer.data(), buffer.size() - outLeft);
        if (r == static_cast<std::size_t>(-1) && error != E2BIG) {
            out += Replacement;
            ++inPtr;
            --inLeft;
            iconv(handle, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::optional<std::string> systemFromUtf8(std::string_view utf8, int codePage)
{
    Iconv conv(iconvName(codePage), "UTF-8");
    if (!conv.valid())
        return std::nullopt;
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        std::string piece;
        if (convertWhole(conv.handle(), std::string_view(utf8).substr(i, len), piece))
            out += piece;
        else
            out += '?';
        i += len;
    }
    return out;
}

} // namespace detail

int ansiCodePage()
{
    return detail::codePageSetting("EDUCA_ANSI_CP", 1252);
}

int oemCodePage()
{
    return detail::codePageSetting("EDUCA_OEM_CP", 850);
}

} // namespace platform
