#pragma once

#include "export/text_chunks.h"
#include "export/xml_text.h"
#include "platform/local_time.h"
#include "timetable/table_component.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace exporter {

// The local date and time of day, as the document reads them for its header.
using LocalClock = std::function<platform::LocalTime()>;

// The EDUCA exchange document: SERVICIO with its header, six sections and their rows, built in
// memory and written whole by save(). It is held as its finished text, each value escaped as it is
// added. Every failure is a platform::UserError with its final text.
class ExchangeDocument
{
public:
    // The row element last added; attributes appear in the order they are set. A row takes
    // attributes only until the next row or section is added (a std::logic_error after that).
    class Row
    {
    public:
        // Sets a text attribute. The text is UTF-8; one that XML 1.0 cannot carry (invalid UTF-8,
        // control characters other than tab, line feed and carriage return) is refused.
        void set(std::string_view name, std::string_view text);
        // Sets an integer attribute, written in decimal with "-" when negative.
        void set(std::string_view name, std::int32_t value);
        // Sets a text attribute from a value's text as a field hands it on (UTF-8, or bytes with their
        // code page's table). When XML cannot carry the text, sets nothing and answers the problem.
        std::optional<XmlTextProblem> trySet(std::string_view name, const timetable::TextPiece& text);

    private:
        friend class ExchangeDocument;
        Row(ExchangeDocument& document, const char* element, std::uint64_t serial)
            : m_document(&document)
            , m_element(element)
            , m_serial(serial)
        {
        }
        void requireLatest() const;

        ExchangeDocument* m_document;
        const char* m_element; // the caller's text, for failure messages
        std::uint64_t m_serial;
    };

    // The clock gives the moment written into `fecha` when the document is started.
    explicit ExchangeDocument(LocalClock clock = platform::localTimeNow);

    // Starts a new, empty document with the declaration and SERVICIO carrying `autor`, `fecha`
    // (date text, one blank, time text, by the regional settings in force) and `modulo`.
    void start();
    // Appends a section element to SERVICIO, which receives the rows added until the next section.
    // Fails when the document was not started.
    void openSection(std::string_view name);
    // Appends a row element to the current section. Fails when no section is open. The element's
    // name must stay valid as long as the row is used.
    Row addRow(const char* element);
    // Writes the whole document to the file, replacing it; the file is either written whole or left
    // as it was.
    void save(const std::filesystem::path& path) const;
    // The text that save() writes: UTF-8 with the declaration, no whitespace between nodes, reserved
    // characters escaped and tab, line feed and carriage return as character references. Empty before
    // start().
    std::string toString() const;

private:
    // Ends the open row and section start tags as the next element needs it.
    void closeRow();
    void appendAttribute(std::string_view name, std::string_view escaped);
    // The end tags that the text lacks to be whole, for the state it is in.
    std::string closingText() const;

    LocalClock m_clock;
    TextChunks m_text;
    bool m_started = false;
    bool m_rootHasChildren = false;
    std::string m_section; // the open section's name; empty before the first
    bool m_sectionHasChildren = false;
    bool m_rowOpen = false;
    std::uint64_t m_serial = 0; // changes with each row and section, so that an earlier row is known
    // The escaped table of the code page last met, kept to save looking it up for every value.
    const platform::CodePageTable* m_lastCodePage = nullptr;
    const EscapedCodePage* m_lastEscaped = nullptr;
};

} // namespace exporter
