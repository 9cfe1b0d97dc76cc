#include "platform/codepage.h"

#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace platform {

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

constexpr int Utf8CodePage = 65001;

constexpr const char* Replacement = "\xEF\xBF\xBD"; // U+FFFD

// Replaces every ill-formed sequence of a UTF-8 text by U+FFFD.
std::string sanitizeUtf8(std::string_view in)
{
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        auto b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int extra = (b >= 0xC2 && b <= 0xDF) ? 1 : (b >= 0xE0 && b <= 0xEF) ? 2 : (b >= 0xF0 && b <= 0xF4) ? 3 : 0;
        bool ok = extra > 0 && in.size() - i > static_cast<std::size_t>(extra);
        char32_t c = b & (0x3F >> extra);
        for (int k = 1; ok && k <= extra; ++k) {
            auto cb = static_cast<unsigned char>(in[i + k]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (ok) {
            static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
            if (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
                ok = false;
        }
        if (ok) {
            out.append(in.substr(i, extra + 1));
            i += extra + 1;
        } else {
            out += Replacement;
            ++i;
        }
    }
    return out;
}

#ifndef _WIN32

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

// A converter from one code page to UTF-8. Single-byte code pages get a 256-entry table filled by
// the system's converter once; multi-byte ones go through iconv for every text.
struct ToUtf8Converter
{
    bool valid = false;
    bool singleByte = false;
    std::array<std::string, 256> table;
    std::unique_ptr<Iconv> iconv;
};

bool isMultiByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361
        || codePage == Utf8CodePage;
}

const ToUtf8Converter& converterFor(int codePage)
{
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<ToUtf8Converter>> converters;
    std::lock_guard lock(mutex);
    auto& slot = converters[codePage];
    if (slot)
        return *slot;
    slot = std::make_unique<ToUtf8Converter>();
    auto conv = std::make_unique<Iconv>("UTF-8", iconvName(codePage));
    if (!conv->valid())
        return *slot;
    slot->valid = true;
    if (isMultiByte(codePage)) {
        slot->iconv = std::move(conv);
        return *slot;
    }
    slot->singleByte = true;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        std::string out;
        if (!convertWhole(conv->handle(), std::string_view(&in, 1), out) || out.empty())
            out = Replacement;
        slot->table[b] = out;
    }
    return *slot;
}

#endif

} // namespace

int ansiCodePage()
{
#ifdef _WIN32
    return static_cast<int>(GetACP());
#else
    return codePageSetting("EDUCA_ANSI_CP", 1252);
#endif
}

int oemCodePage()
{
#ifdef _WIN32
    return static_cast<int>(GetOEMCP());
#else
    return codePageSetting("EDUCA_OEM_CP", 850);
#endif
}

int codePageForLanguageDriver(std::uint8_t id)
{
    // Language driver byte -> code page, as dBase, FoxPro and Visual FoxPro write it.
    switch (id) {
    case 0x01:
        return 437;
    case 0x02:
        return 850;
    case 0x03:
        return 1252;
    case 0x04:
        return 10000;
    case 0x08:
        return 865;
    case 0x09:
        return 437;
    case 0x0A:
        return 850;
    case 0x0B:
        return 437;
    case 0x0C:
        return 850;
    case 0x0D:
        return 437;
    case 0x0E:
        return 850;
    case 0x0F:
        return 437;
    case 0x10:
        return 850;
    case 0x11:
        return 437;
    case 0x12:
        return 850;
    case 0x13:
        return 932;
    case 0x14:
        return 850;
    case 0x15:
        return 437;
    case 0x16:
        return 850;
    case 0x17:
        return 865;
    case 0x18:
        return 437;
    case 0x19:
        return 437;
    case 0x1A:
        return 850;
    case 0x1B:
        return 437;
    case 0x1C:
        return 863;
    case 0x1D:
        return 850;
    case 0x1F:
        return 852;
    case 0x22:
        return 852;
    case 0x23:
        return 852;
    case 0x24:
        return 860;
    case 0x25:
        return 850;
    case 0x26:
        return 866;
    case 0x37:
        return 850;
    case 0x40:
        return 852;
    case 0x4D:
        return 936;
    case 0x4E:
        return 949;
    case 0x4F:
        return 950;
    case 0x50:
        return 874;
    case 0x57:
        return 1252;
    case 0x58:
        return 1252;
    case 0x59:
        return 1252;
    case 0x64:
        return 852;
    case 0x65:
        return 866;
    case 0x66:
        return 865;
    case 0x67:
        return 861;
    case 0x6A:
        return 737;
    case 0x6B:
        return 857;
    case 0x6C:
        return 863;
    case 0x78:
        return 950;
    case 0x79:
        return 949;
    case 0x7A:
        return 936;
    case 0x7B:
        return 932;
    case 0x7C:
        return 874;
    case 0x7D:
        return 1255;
    case 0x7E:
        return 1256;
    case 0x86:
        return 737;
    case 0x87:
        return 852;
    case 0x88:
        return 857;
    case 0x96:
        return 10007;
    case 0x97:
        return 10029;
    case 0x98:
        return 10006;
    case 0xC8:
        return 1250;
    case 0xC9:
        return 1251;
    case 0xCA:
        return 1254;
    case 0xCB:
        return 1253;
    case 0xCC:
        return 1257;
    default:
        return 0;
    }
}

int codePageForDriverName(std::string_view name)
{
    std::string upper;
    for (char c : name) {
        if (c == '\0')
            break;
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    while (!upper.empty() && upper.back() == ' ')
        upper.pop_back();
    if (upper.empty())
        return 0;
    if (upper == "DBHEBREW")
        return 862;
    if (upper == "DB437GR0")
        return 737;
    if (upper.find("WIN") != std::string::npos)
        return 1252;
    // "DB" + code page + locale + digit (DB850ES0), "BGDB868", FoxPro-style names with the code page in them.
    std::size_t i = upper.find_first_of("0123456789");
    while (i != std::string::npos) {
        std::size_t j = i;
        while (j < upper.size() && upper[j] >= '0' && upper[j] <= '9')
            ++j;
        if (j - i == 3 || j - i == 4)
            return std::stoi(upper.substr(i, j - i));
        i = upper.find_first_of("0123456789", j);
    }
    return 0;
}

bool isCodePageSupported(int codePage)
{
    if (codePage == Utf8CodePage)
        return true;
#ifdef _WIN32
    return IsValidCodePage(static_cast<UINT>(codePage)) != 0;
#else
    return converterFor(codePage).valid;
#endif
}

std::string toUtf8(std::string_view bytes, int codePage)
{
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return std::string(bytes);
    if (codePage == Utf8CodePage)
        return sanitizeUtf8(bytes);
#ifdef _WIN32
    int wideLength
        = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wideLength <= 0)
        return sanitizeUtf8(bytes);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(
        static_cast<UINT>(codePage), 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return out;
#else
    const ToUtf8Converter& conv = converterFor(codePage);
    if (!conv.valid)
        return sanitizeUtf8(bytes);
    std::string out;
    if (conv.singleByte) {
        out.reserve(bytes.size() + bytes.size() / 2);
        for (char c : bytes)
            out += conv.table[static_cast<unsigned char>(c)];
        return out;
    }
    // Multi-byte: one pass. Where a sequence is invalid, or cut off at the end, U+FFFD stands for its
    // first byte and the conversion goes on after that byte. (Trying ever shorter pieces instead
    // takes cubic time on a long text of garbage.)
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const iconv_t handle = conv.iconv->handle();
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
#endif
}

std::string fromUtf8(std::string_view utf8, int codePage)
{
    if (codePage == Utf8CodePage)
        return sanitizeUtf8(utf8);
    std::string valid = sanitizeUtf8(utf8);
#ifdef _WIN32
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, valid.data(), static_cast<int>(valid.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, valid.data(), static_cast<int>(valid.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(static_cast<UINT>(codePage), 0, wide.data(), wideLength, nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(static_cast<UINT>(codePage), 0, wide.data(), wideLength, out.data(), length, "?", nullptr);
    return out;
#else
    Iconv conv(iconvName(codePage), "UTF-8");
    if (!conv.valid())
        return valid;
    std::string out;
    std::size_t i = 0;
    while (i < valid.size()) {
        auto b = static_cast<unsigned char>(valid[i]);
        std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        std::string piece;
        if (convertWhole(conv.handle(), std::string_view(valid).substr(i, len), piece))
            out += piece;
        else
            out += '?';
        i += len;
    }
    return out;
#endif
}

} // namespace platform
