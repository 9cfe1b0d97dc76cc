#include "help/html_help_viewer.h"

#include "help/help_file_name.h"
#include "help/help_manager.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <utility>

namespace help {

HtmlHelpViewer::HtmlHelpViewer(
    std::shared_ptr<HelpEngine> engine, std::shared_ptr<const std::string> applicationHelpFile)
    : m_engine(std::move(engine))
    , m_applicationHelpFile(std::move(applicationHelpFile))
{
}

// Windows the engine still shows stay open: the engine is released without a close command.
HtmlHelpViewer::~HtmlHelpViewer() = default;

void HtmlHelpViewer::setManagerLink(std::shared_ptr<HelpManager> manager)
{
    m_manager = std::move(manager);
}

std::string HtmlHelpViewer::resolvedFile() const
{
    std::string name = m_manager ? m_manager->currentHelpFile() : std::string();
    if (name.empty() && m_applicationHelpFile)
        name = *m_applicationHelpFile;
    if (name.empty())
        return name;
    return resolveHelpFile(name, platform::programDirectory());
}

std::string HtmlHelpViewer::viewerName() const
{
    return Name;
}

bool HtmlHelpViewer::acceptsContext(std::int32_t, const std::string& helpFile)
{
    return isCompiledHelpName(helpFile);
}

void HtmlHelpViewer::showContext(std::int32_t context, const std::string&)
{
    const std::string file = resolvedFile();
    if (isCompiledHelpName(file))
        callEngine(file, HelpByContext, static_cast<std::uintptr_t>(static_cast<std::uint32_t>(context)));
}

void HtmlHelpViewer::showContents()
{
    const std::string file = resolvedFile();
    if (isCompiledHelpName(file))
        callEngine(file, DisplayTableOfContents, 0);
}

int HtmlHelpViewer::chooseContentsViewer(const std::vector<std::string>& names)
{
    const std::string own = platform::asciiLower(Name);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (platform::asciiLower(names[i]) == own)
            return static_cast<int>(i);
    }
    return -1;
}

void HtmlHelpViewer::callEngine(const std::string& file, unsigned command, std::uintptr_t data)
{
    if (!m_engine)
        return;
    const std::uintptr_t caller = m_manager ? m_manager->ownerWindow() : 0;
    m_engine->htmlHelp(caller, file, command, data);
}

} // namespace help
