#pragma once

#include "dbase/value.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace exporter {

// The local date and time of day, as the document reads them for its header.
using LocalClock = std::function<dbase::DateTime()>;

// The system's local date and time of day, read once (so that date and time belong together even
// at midnight), without fractions of a second.
dbase::DateTime systemLocalTime();

// The EDUCA exchange document: SERVICIO with its header, six sections and their rows, built in
// memory and written whole by save(). Every failure is a platform::UserError with its final text.
class ExchangeDocument
{
public:
    // A row element of the current section; attributes appear in the order they are set.
    class Row
    {
    public:
        // Sets a text attribute. The text is UTF-8; one that XML 1.0 cannot carry (invalid UTF-8,
        // control characters other than tab, line feed and carriage return) is refused.
        void set(const char* name, std::string_view text);
        // Sets an integer attribute, written in decimal with "-" when negative.
        void set(const char* name, std::int32_t value);

    private:
        friend class ExchangeDocument;
        explicit Row(pugi::xml_node element)
            : m_element(element)
        {
        }
        pugi::xml_attribute append(const char* name);
        pugi::xml_node m_element;
    };

    // The clock gives the moment written into `fecha` when the document is started.
    explicit ExchangeDocument(LocalClock clock = systemLocalTime);

    // Starts a new, empty document with the declaration and SERVICIO carrying `autor`, `fecha`
    // (date text, one blank, time text, by the regional settings in force) and `modulo`.
    void start();
    // Appends a section element to SERVICIO and makes it the one that receives rows. Fails when the
    // document was not started.
    void openSection(std::string_view name);
    // Appends a row element to the current section. Fails when no section is open.
    Row addRow(const char* element);
    // Writes the whole document to the file, replacing it; the file is either written whole or left
    // as it was.
    void save(const std::filesystem::path& path) const;
    // The text that save() writes: UTF-8 with the declaration, no whitespace between nodes, reserved
    // characters escaped and tab, line feed and carriage return as character references.
    std::string toString() const;

private:
    LocalClock m_clock;
    pugi::xml_document m_document;
    pugi::xml_node m_root;
    pugi::xml_node m_section;
};

// A file path given as UTF-8 text.
std::filesystem::path pathFromUtf8(std::string_view text);

} // namespace exporter
