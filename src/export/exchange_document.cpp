#include "export/exchange_document.h"

#include "export/failure_text.h"
#include "export/messages.h"
#include "export/xml_text.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "timetable/value_text.h"

#include <cerrno>
#include <ctime>
#include <fmt/format.h>

namespace exporter {

namespace {

constexpr const char* RootName = "SERVICIO";
constexpr std::string_view TabReference = "&#09;";

// pugixml runs out of memory quietly (an empty node): the failure carries the system's text for it.
[[noreturn]] void failOutOfMemory()
{
    throw platform::UserError(documentFailureText({}, systemErrorText(ENOMEM), failureCodeForErrno(ENOMEM)));
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

template <typename Node> Node require(Node node)
{
    if (!node)
        failOutOfMemory();
    return node;
}

// pugixml writes a tab in an attribute as "&#09;"; this writer passes its output on with the usual
// "&#9;". The sequence can come from nothing else, since a literal "&" in a value is written as
// "&amp;". A tail that may be the start of the sequence is held back until the next chunk.
class OutputWriter : public pugi::xml_writer
{
public:
    explicit OutputWriter(std::function<void(std::string_view)> out)
        : m_out(std::move(out))
    {
    }

    void write(const void* data, size_t size) override
    {
        m_pending.append(static_cast<const char*>(data), size);
        std::string_view text = m_pending;
        std::size_t held = 0;
        for (std::size_t k = std::min(TabReference.size() - 1, text.size()); k > 0; --k) {
            if (text.substr(text.size() - k) == TabReference.substr(0, k)) {
                held = k;
                break;
            }
        }
        emit(text.substr(0, text.size() - held));
        m_pending.erase(0, m_pending.size() - held);
    }

    void finish()
    {
        emit(m_pending);
        m_pending.clear();
    }

private:
    void emit(std::string_view text)
    {
        std::size_t start = 0;
        for (auto at = text.find(TabReference); at != std::string_view::npos; at = text.find(TabReference, start)) {
            m_out(text.substr(start, at - start));
            m_out("&#9;");
            start = at + TabReference.size();
        }
        m_out(text.substr(start));
    }

    std::function<void(std::string_view)> m_out;
    std::string m_pending;
};

void saveTo(const pugi::xml_document& document, OutputWriter& writer)
{
    document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    writer.finish();
}

} // namespace

dbase::DateTime systemLocalTime()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        return {};
    return {
        {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday}, {local->tm_hour, local->tm_min, local->tm_sec, 0}};
}

std::filesystem::path pathFromUtf8(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

ExchangeDocument::ExchangeDocument(LocalClock clock)
    : m_clock(std::move(clock))
{
}

void ExchangeDocument::start()
{
    m_document.reset();
    m_root = {};
    m_section = {};

    auto declaration = require(m_document.append_child(pugi::node_declaration));
    require(declaration.append_attribute("version")).set_value("1.0");
    require(declaration.append_attribute("encoding")).set_value("UTF-8");

    const auto now = m_clock();
    const auto& settings = platform::regionalSettings();
    const auto fecha = timetable::formatDate(now.date, settings) + " " + timetable::formatTime(now.time, settings);

    m_root = require(m_document.append_child(RootName));
    require(m_root.append_attribute("autor")).set_value("MORVANTA");
    require(m_root.append_attribute("fecha")).set_value(fecha.c_str());
    require(m_root.append_attribute("modulo")).set_value("HORARIOS");
}

void ExchangeDocument::openSection(std::string_view name)
{
    if (!m_root)
        throw platform::UserError(messages::DocumentNotStarted);
    const std::string elementName(name);
    require(m_root.append_child(elementName.c_str()));
    // The section that receives rows is found again by its path from the document's root, so that
    // it is the first section of that name.
    const auto path = fmt::format("/{}/{}", RootName, name);
    m_section = m_root.select_node(path.c_str()).node();
    if (!m_section)
        throw platform::UserError(fmt::format(fmt::runtime(messages::SectionNotFound), path));
}

ExchangeDocument::Row ExchangeDocument::addRow(const char* element)
{
    if (!m_section)
        throw platform::UserError(messages::NoSectionOpen);
    return Row(require(m_section.append_child(element)));
}

pugi::xml_attribute ExchangeDocument::Row::append(const char* name)
{
    return require(m_element.append_attribute(name));
}

void ExchangeDocument::Row::set(const char* name, std::string_view text)
{
    if (const auto problem = findXmlTextProblem(text)) {
        if (problem->kind == XmlTextProblem::Kind::InvalidUtf8)
            throw platform::UserError(
                fmt::format(fmt::runtime(messages::AttributeInvalidUtf8), name, m_element.name()));
        throw platform::UserError(fmt::format(fmt::runtime(messages::AttributeInvalidCharacter), name, m_element.name(),
            static_cast<std::uint32_t>(problem->character)));
    }
    if (!append(name).set_value(text.data(), text.size()))
        failOutOfMemory();
}

void ExchangeDocument::Row::set(const char* name, std::int32_t value)
{
    if (!append(name).set_value(static_cast<long long>(value)))
        failOutOfMemory();
}

void ExchangeDocument::save(const std::filesystem::path& path) const
{
    try {
        platform::writeFileAtomically(path, [this](platform::FileSink& sink) {
            OutputWriter writer([&sink](std::string_view text) { sink.write(text.data(), text.size()); });
            saveTo(m_document, writer);
        });
    } catch (const platform::FileWriteError& failure) {
        throw saveFailure(failure);
    }
}

std::string ExchangeDocument::toString() const
{
    std::string text;
    OutputWriter writer([&text](std::string_view chunk) { text.append(chunk); });
    saveTo(m_document, writer);
    return text;
}

} // namespace exporter
