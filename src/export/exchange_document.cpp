#include "export/exchange_document.h"

#include "export/failure_text.h"
#include "export/messages.h"
#include "platform/atomic_file.h"
#include "platform/codepage_table.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "timetable/value_text.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fmt/format.h>
#include <new>
#include <stdexcept>
#include <utility>

namespace exporter {

namespace {

constexpr std::string_view Declaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";
constexpr std::string_view RootName = "SERVICIO";
// Longer texts are escaped a piece at a time, so that the room set aside for them stays small.
constexpr std::size_t EscapePieceBytes = 64 * 1024;

// Memory ran out: the failure carries the system's text for it.
[[noreturn]] void failOutOfMemory()
{
    throw platform::UserError(documentFailureText({}, systemErrorText(ENOMEM), failureCodeForErrno(ENOMEM)));
}

// Runs the work; memory running out on the way becomes that failure, after the clean-up that undoes
// what the work had done.
template <typename Work, typename CleanUp> decltype(auto) failingOutOfMemory(Work&& work, CleanUp&& cleanUp)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        cleanUp();
        failOutOfMemory();
    }
}

template <typename Work> decltype(auto) failingOutOfMemory(Work&& work)
{
    return failingOutOfMemory(std::forward<Work>(work), [] {});
}

// A failed save as the user reads it: the file, then the system's text for the failure, else
// "OLE error" with the failure code. Windows error numbers take the same 0x8007xxxx form as errno values.
platform::UserError saveFailure(const platform::FileWriteError& failure)
{
    // Windows refuses to replace a file that another program holds open: the user can do something about that.
    if (platform::isFileInUse(failure.code()))
        return platform::UserError(fmt::format(fmt::runtime(messages::FileInUse), platform::pathText(failure.file())));
    const char* format
        = failure.step() == platform::FileWriteStep::Replace ? messages::CannotReplaceFile : messages::CannotWriteFile;
    const auto reason = documentFailureText({}, failure.systemText(), failureCodeForErrno(failure.code().value()));
    return platform::UserError(fmt::format(fmt::runtime(format), platform::pathText(failure.file()), reason));
}

// A value of the header as the document has always written it: the text up to a NUL, "&", "<" and
// the quotation mark as references, tab as "&#9;" and other control characters as "&#NN;" with two
// digits. (Only regional settings with control characters in them could put any into `fecha`.)
std::string escapedHeaderValue(std::string_view text)
{
    std::string escaped;
    for (char c : text.substr(0, text.find('\0'))) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '"')
            escaped += "&quot;";
        else if (c == '\t')
            escaped += "&#9;";
        else if (byte < 0x20)
            escaped += fmt::format("&#{:02};", byte);
        else
            escaped += c;
    }
    return escaped;
}

// How far a UTF-8 text may be cut before count bytes without cutting a character in two.
std::size_t characterBoundary(std::string_view text, std::size_t count)
{
    if (count >= text.size())
        return text.size();
    // Back over at most three continuation bytes; more of them make the text ill-formed there anyway.
    std::size_t cut = count;
    while (cut > count - 3 && cut > 1 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

} // namespace

ExchangeDocument::ExchangeDocument(LocalClock clock)
    : m_clock(std::move(clock))
{
}

void ExchangeDocument::start()
{
    m_text.clear();
    m_started = false;
    m_rootHasChildren = false;
    m_section.clear();
    m_sectionHasChildren = false;
    m_rowOpen = false;
    ++m_serial;

    const auto fecha = timetable::formatLocalTime(m_clock(), platform::regionalSettings());
    failingOutOfMemory(
        [&] {
            m_text.append(Declaration);
            m_text.append('<');
            m_text.append(RootName);
            m_text.append(R"( autor="MORVANTA" fecha=")");
            m_text.append(escapedHeaderValue(fecha));
            m_text.append(R"(" modulo="HORARIOS")");
        },
        [&] { m_text.clear(); });
    m_started = true;
}

void ExchangeDocument::closeRow()
{
    if (m_rowOpen) {
        m_text.append("/>");
        m_rowOpen = false;
    }
}

void ExchangeDocument::openSection(std::string_view name)
{
    if (!m_started)
        throw platform::UserError(messages::DocumentNotStarted);
    failingOutOfMemory([&] {
        closeRow();
        if (!m_section.empty()) {
            if (m_sectionHasChildren) {
                m_text.append("</");
                m_text.append(m_section);
                m_text.append('>');
            } else {
                m_text.append("/>");
            }
        }
        if (!m_rootHasChildren) {
            m_text.append('>');
            m_rootHasChildren = true;
        }
        m_text.append('<');
        m_text.append(name);
        m_section = name;
    });
    m_sectionHasChildren = false;
    ++m_serial;
}

ExchangeDocument::Row ExchangeDocument::addRow(const char* element)
{
    if (m_section.empty())
        throw platform::UserError(messages::NoSectionOpen);
    failingOutOfMemory([&] {
        closeRow();
        if (!m_sectionHasChildren) {
            m_text.append('>');
            m_sectionHasChildren = true;
        }
        m_text.append('<');
        m_text.append(element);
    });
    m_rowOpen = true;
    return Row(*this, element, ++m_serial);
}

void ExchangeDocument::Row::requireLatest() const
{
    if (m_serial != m_document->m_serial)
        throw std::logic_error("ExchangeDocument::Row: an attribute set after a later row or section was added");
}

void ExchangeDocument::appendAttribute(std::string_view name, std::string_view escaped)
{
    m_text.append(' ');
    m_text.append(name);
    m_text.append("=\"");
    m_text.append(escaped);
    m_text.append('"');
}

void ExchangeDocument::Row::set(std::string_view name, std::string_view text)
{
    if (const auto problem = trySet(name, timetable::TextPiece {text})) {
        if (problem->kind == XmlTextProblem::Kind::InvalidUtf8)
            throw platform::UserError(fmt::format(fmt::runtime(messages::AttributeInvalidUtf8), name, m_element));
        throw platform::UserError(fmt::format(fmt::runtime(messages::AttributeInvalidCharacter), name, m_element,
            static_cast<std::uint32_t>(problem->character)));
    }
}

void ExchangeDocument::Row::set(std::string_view name, std::int32_t value)
{
    requireLatest();
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    failingOutOfMemory(
        [&] { m_document->appendAttribute(name, std::string_view(digits, static_cast<std::size_t>(end - digits))); });
}

std::optional<XmlTextProblem> ExchangeDocument::Row::trySet(std::string_view name, const timetable::TextPiece& text)
{
    requireLatest();
    ExchangeDocument& document = *m_document;
    TextChunks& out = document.m_text;
    // A text in a code page goes through that code page's escaped table, unless it is all ASCII,
    // which stays as it is (the same unless the code page gives some bytes below 0x80 other
    // characters).
    const EscapedCodePage* escaped = nullptr;
    if (text.codePage != nullptr && (text.codePage->keepsAscii() || !platform::CodePageTable::isAscii(text.bytes))) {
        if (text.codePage != document.m_lastCodePage) {
            document.m_lastEscaped = &EscapedCodePage::of(*text.codePage);
            document.m_lastCodePage = text.codePage;
        }
        escaped = document.m_lastEscaped;
    }
    try {
        // A text of common length: the attribute written whole into room set aside for it, and the
        // room given up again when the text is refused.
        if (text.bytes.size() <= EscapePieceBytes) {
            char* at = out.reserve(
                name.size() + 4 + text.bytes.size() * MaxEscapedBytesPerByte + EscapedCodePage::CopySlack);
            *at++ = ' ';
            std::memcpy(at, name.data(), name.size());
            at += name.size();
            *at++ = '=';
            *at++ = '"';
            XmlTextProblem problem {};
            std::size_t offset = 0;
            char* end = escaped != nullptr ? escaped->escape(text.bytes, at, problem, offset)
                                           : escapeAttributeText(text.bytes, at, problem);
            if (end == nullptr)
                return problem;
            *end++ = '"';
            out.commit(end);
            return std::nullopt;
        }
    } catch (const std::bad_alloc&) {
        failOutOfMemory();
    }
    // A longer one, a piece at a time.
    const auto mark = out.mark();
    try {
        out.append(' ');
        out.append(name);
        out.append("=\"");
        std::string_view rest = text.bytes;
        std::size_t offset = 0; // of the rest in the UTF-8 text
        while (!rest.empty()) {
            const std::size_t count = escaped != nullptr ? std::min(rest.size(), EscapePieceBytes)
                                                         : characterBoundary(rest, EscapePieceBytes);
            const std::string_view piece = rest.substr(0, count);
            XmlTextProblem problem {};
            char* place = out.reserve(count * MaxEscapedBytesPerByte + EscapedCodePage::CopySlack);
            char* end = nullptr;
            if (escaped != nullptr) {
                end = escaped->escape(piece, place, problem, offset);
            } else {
                end = escapeAttributeText(piece, place, problem);
                problem.offset += offset;
                offset += count;
            }
            if (end == nullptr) {
                out.rollback(mark);
                return problem;
            }
            out.commit(end);
            rest.remove_prefix(count);
        }
        out.append('"');
    } catch (const std::bad_alloc&) {
        out.rollback(mark);
        failOutOfMemory();
    }
    return std::nullopt;
}

std::string ExchangeDocument::closingText() const
{
    std::string closing;
    if (!m_started)
        return closing;
    if (m_rowOpen)
        closing += "/>";
    if (!m_section.empty())
        closing += m_sectionHasChildren ? "</" + m_section + ">" : std::string("/>");
    closing += m_rootHasChildren ? "</" + std::string(RootName) + ">" : std::string("/>");
    return closing;
}

void ExchangeDocument::save(const std::filesystem::path& path) const
{
    try {
        platform::writeFileAtomically(path, [this](platform::FileSink& sink) {
            m_text.forEachPiece([&sink](const char* data, std::size_t size) { sink.write(data, size); });
            const std::string closing = closingText();
            sink.write(closing.data(), closing.size());
        });
    } catch (const platform::FileWriteError& failure) {
        throw saveFailure(failure);
    } catch (const std::bad_alloc&) {
        failOutOfMemory();
    }
}

std::string ExchangeDocument::toString() const
{
    return failingOutOfMemory([&] { return m_text.toString() + closingText(); });
}

} // namespace exporter
