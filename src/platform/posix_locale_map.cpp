#include "platform/posix_locale_map.h"

#include <cstddef>
#include <vector>

namespace platform {

namespace posix {

namespace {

// One piece of a strftime format: a conversion (its letter and flag) or literal text.
struct FormatToken
{
    char conversion = 0; // 0 for literal text
    char flag = 0;
    std::string text;
};

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isAscii(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

void appendLiteral(std::vector<FormatToken>& tokens, std::string_view text)
{
    if (!tokens.empty() && tokens.back().conversion == 0)
        tokens.back().text += text;
    else
        tokens.push_back({0, 0, std::string(text)});
}

void appendTokens(std::vector<FormatToken>& tokens, const std::vector<FormatToken>& more)
{
    for (const FormatToken& token : more) {
        if (token.conversion == 0)
            appendLiteral(tokens, token.text);
        else
            tokens.push_back(token);
    }
}

// Splits a format into tokens, expanding the composite conversions %D, %F, %T, %R and %r.
std::vector<FormatToken> tokenize(std::string_view format, std::string_view ampmFormat, bool expandR = true)
{
    std::vector<FormatToken> tokens;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            appendLiteral(tokens, format.substr(i, 1));
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        char flag = 0;
        while (j < format.size() && std::string_view("-_0^#").find(format[j]) != std::string_view::npos)
            flag = format[j++];
        while (j < format.size() && isAsciiDigit(format[j]))
            ++j;
        if (j < format.size() && (format[j] == 'E' || format[j] == 'O'))
            ++j;
        if (j >= format.size()) {
            appendLiteral(tokens, format.substr(i));
            break;
        }
        const char conversion = format[j];
        i = j + 1;
        switch (conversion) {
        case '%':
            appendLiteral(tokens, "%");
            break;
        case 'n':
        case 't':
            appendLiteral(tokens, " ");
            break;
        case 'D':
            appendTokens(tokens, tokenize("%m/%d/%y", {}));
            break;
        case 'F':
            appendTokens(tokens, tokenize("%Y-%m-%d", {}));
            break;
        case 'T':
            appendTokens(tokens, tokenize("%H:%M:%S", {}));
            break;
        case 'R':
            appendTokens(tokens, tokenize("%H:%M", {}));
            break;
        case 'r':
            // T_FMT_AMPM may itself say %r; expand it only once.
            appendTokens(tokens, tokenize(expandR && !ampmFormat.empty() ? ampmFormat : "%I:%M:%S %p", {}, false));
            break;
        default:
            tokens.push_back({conversion, flag, {}});
            break;
        }
    }
    return tokens;
}

bool dropsZero(char flag)
{
    return flag == '-' || flag == '_';
}

// The picture element of a date conversion; empty for conversions that are not date elements.
std::string dateElement(const FormatToken& token)
{
    switch (token.conversion) {
    case 'd':
        return dropsZero(token.flag) ? "d" : "dd";
    case 'e':
        return token.flag == '0' ? "dd" : "d";
    case 'm':
        return dropsZero(token.flag) ? "M" : "MM";
    case 'y':
        return "yy";
    case 'Y':
        return "yyyy";
    case 'b':
    case 'h':
        return "MMM";
    case 'B':
        return "MMMM";
    case 'a':
        return "ddd";
    case 'A':
        return "dddd";
    default:
        return {};
    }
}

// Literal text in picture form: letters quoted, quote characters protected by the other quote.
std::string pictureLiteral(std::string_view text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isAsciiLetter(c)) {
            std::size_t end = i;
            while (end < text.size() && isAsciiLetter(text[end]))
                ++end;
            out += '\'';
            out += text.substr(i, end - i);
            out += '\'';
            i = end;
            continue;
        }
        if (c == '\'')
            out += "\"'\"";
        else if (c == '"')
            out += "'\"'";
        else
            out += c;
        ++i;
    }
    return out;
}

std::optional<std::size_t> findConversion(const std::vector<FormatToken>& tokens, std::string_view letters)
{
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].conversion != 0 && letters.find(tokens[i].conversion) != std::string_view::npos)
            return i;
    }
    return std::nullopt;
}

} // namespace

DateFormatSettings mapDateFormat(std::string_view dFmt)
{
    DateFormatSettings result;
    std::string picture;
    bool anyElement = false;
    // The separator seen since the last element; 0 when none (a plain char keeps GCC's
    // uninitialised-use analysis quiet, which misfires on std::optional<char> here).
    char candidate = 0;
    for (const FormatToken& token : tokenize(dFmt, {})) {
        if (token.conversion == 0) {
            picture += pictureLiteral(token.text);
            if (anyElement && !candidate) {
                for (char c : token.text) {
                    if (c != 0 && isAscii(c) && !isAsciiLetter(c)) {
                        candidate = c;
                        break;
                    }
                }
            }
            continue;
        }
        const std::string element = dateElement(token);
        if (element.empty())
            continue;
        if (candidate != 0 && !result.dateSeparator)
            result.dateSeparator = std::string(1, candidate);
        candidate = 0;
        anyElement = true;
        picture += element;
    }
    if (anyElement)
        result.shortDate = picture;
    return result;
}

TimeFormatSettings mapTimeFormat(std::string_view tFmt, std::string_view tFmtAmPm)
{
    TimeFormatSettings result;
    std::vector<FormatToken> tokens = tokenize(tFmt, tFmtAmPm);
    std::optional<std::size_t> hour = findConversion(tokens, "HkIl");
    if (!hour) {
        tokens = tokenize(tFmtAmPm, {}, false);
        hour = findConversion(tokens, "HkIl");
    }
    if (!hour)
        return result;

    const FormatToken& hourToken = tokens[*hour];
    const bool is24 = hourToken.conversion == 'H' || hourToken.conversion == 'k';
    const bool zeroByDefault = hourToken.conversion == 'H' || hourToken.conversion == 'I';
    const bool leadingZero = zeroByDefault ? !dropsZero(hourToken.flag) : hourToken.flag == '0';
    result.clock24 = is24 ? 1 : 0;
    result.hourLeadingZero = leadingZero ? 1 : 0;

    if (*hour + 1 < tokens.size() && tokens[*hour + 1].conversion == 0 && !tokens[*hour + 1].text.empty()) {
        const char next = tokens[*hour + 1].text.front();
        if (isAscii(next) && !isAsciiLetter(next) && !isAsciiDigit(next))
            result.timeSeparator = std::string(1, next);
    }

    const std::vector<FormatToken> twelveHour = is24 ? tokenize(tFmtAmPm, {}, false) : tokens;
    const std::optional<std::size_t> mark = findConversion(twelveHour, "pP");
    const std::optional<std::size_t> hour12 = findConversion(twelveHour, "Il");
    if (mark && hour12)
        result.timeMarkBefore = *mark < *hour12 ? 1 : 0;
    return result;
}

} // namespace posix

} // namespace platform
