#include "help/help_manager.h"

#include "platform/text.h"

#include <algorithm>
#include <utility>

namespace help {

std::shared_ptr<HelpManager> HelpManager::registerViewer(const std::shared_ptr<HelpViewer>& viewer)
{
    const std::int32_t number = ++m_lastNumber;
    m_viewers.push_back({number, viewer});
    viewer->takeNumber(number);
    return shared_from_this();
}

void HelpManager::withdrawViewer(std::int32_t number)
{
    std::erase_if(m_viewers, [number](const Registration& r) { return r.number == number; });
}

void HelpManager::setSelector(std::shared_ptr<HelpSelector> selector)
{
    m_selector = std::move(selector);
}

bool HelpManager::showContext(std::int32_t context, const std::string& helpFile)
{
    if (!helpFile.empty())
        m_currentHelpFile = helpFile;
    // A viewer may withdraw while it shows: walk a copy.
    for (const std::shared_ptr<HelpViewer>& viewer : viewers()) {
        if (viewer->acceptsContext(context, helpFile)) {
            viewer->showContext(context, helpFile);
            return true;
        }
    }
    return false;
}

bool HelpManager::showTableOfContents(const std::string& helpFile)
{
    if (!helpFile.empty())
        m_currentHelpFile = helpFile;

    std::vector<std::pair<std::string, std::shared_ptr<HelpViewer>>> candidates;
    for (const std::shared_ptr<HelpViewer>& viewer : viewers()) {
        if (viewer->hasContents())
            candidates.emplace_back(viewer->viewerName(), viewer);
    }
    if (candidates.empty())
        return false;
    std::stable_sort(candidates.begin(), candidates.end(),
        [](const auto& a, const auto& b) { return platform::asciiLower(a.first) < platform::asciiLower(b.first); });

    int chosen = 0;
    if (m_selector) {
        std::vector<std::string> names;
        names.reserve(candidates.size());
        for (const auto& candidate : candidates)
            names.push_back(candidate.first);
        chosen = m_selector->chooseContentsViewer(names);
    }
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= candidates.size())
        return false;
    candidates[static_cast<std::size_t>(chosen)].second->showContents();
    return true;
}

std::vector<std::shared_ptr<HelpViewer>> HelpManager::viewers() const
{
    std::vector<std::shared_ptr<HelpViewer>> list;
    list.reserve(m_viewers.size());
    for (const Registration& r : m_viewers)
        list.push_back(r.viewer);
    return list;
}

} // namespace help
