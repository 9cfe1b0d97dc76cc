#include "export/xml_text.h"

namespace exporter {

namespace {

bool isXmlChar(char32_t c)
{
    if (c < 0x20)
        return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c <= 0xD7FF)
        return true;
    if (c < 0xE000)
        return false;
    if (c <= 0xFFFD)
        return true;
    return c >= 0x10000 && c <= 0x10FFFF;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

std::optional<XmlTextProblem> findXmlTextProblem(std::string_view utf8)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        char32_t c = 0;
        std::size_t length = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            c = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            c = lead & 0x1F;
            length = 2;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            c = lead & 0x0F;
            length = 3;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            c = lead & 0x07;
            length = 4;
            smallest = 0x10000;
        } else {
            return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
        }
        if (i + length > size)
            return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
        for (std::size_t k = 1; k < length; ++k) {
            if (!isContinuation(bytes[i + k]))
                return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
        if (!isXmlChar(c))
            return XmlTextProblem {XmlTextProblem::Kind::InvalidCharacter, c, i};
        i += length;
    }
    return std::nullopt;
}

} // namespace exporter
