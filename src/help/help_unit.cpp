#include "help/help_unit.h"

#include "help/help_manager.h"
#include "help/help_requests.h"
#include "help/html_help_viewer.h"

#include <utility>

namespace help {

HelpUnit::HelpUnit(std::shared_ptr<HelpEngine> engine)
    : m_applicationHelpFile(std::make_shared<std::string>())
    , m_manager(std::make_shared<HelpManager>())
{
    auto viewer = std::make_shared<HtmlHelpViewer>(std::move(engine), m_applicationHelpFile);
    m_viewer = viewer;
    viewer->setManagerLink(m_manager->registerViewer(viewer));
    m_manager->setSelector(viewer);
}

HelpUnit::~HelpUnit()
{
    // The viewer's link and the manager's hold on the viewer form a cycle; withdrawing breaks it, and
    // the manager then goes with the unit's reference, taking the selector (the viewer) with it.
    if (auto viewer = m_viewer.lock(); viewer && viewer->hasManagerLink()) {
        m_manager->withdrawViewer(viewer->number());
        viewer->setManagerLink(nullptr);
    }
}

void HelpUnit::setApplicationHelpFile(const std::string& name)
{
    *m_applicationHelpFile = name;
}

bool HelpUnit::contextRequest(std::int32_t context)
{
    m_manager->showContext(context, *m_applicationHelpFile);
    return true;
}

bool HelpUnit::commandRequest(std::uint16_t command, std::int32_t)
{
    if (m_applicationHelpFile->empty())
        return false;
    if (command != HelpContents)
        return false;
    return m_manager->showTableOfContents(*m_applicationHelpFile);
}

namespace {

std::unique_ptr<HelpUnit>& unitSlot()
{
    static std::unique_ptr<HelpUnit> unit;
    return unit;
}

} // namespace

HelpUnit& applicationHelp()
{
    std::unique_ptr<HelpUnit>& unit = unitSlot();
    if (!unit)
        unit = std::make_unique<HelpUnit>(loadSystemEngine());
    return *unit;
}

void startApplicationHelp(std::shared_ptr<HelpEngine> engine)
{
    std::unique_ptr<HelpUnit>& unit = unitSlot();
    unit.reset();
    unit = std::make_unique<HelpUnit>(std::move(engine));
}

} // namespace help
