#pragma once

#include "help/help_viewer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace help {

// The program's one help manager: its registered viewers in registration order, an optional
// selector and the current help file. It routes every help request to one viewer. Create it with
// std::make_shared (registration hands out counted links to it).
class HelpManager : public std::enable_shared_from_this<HelpManager>
{
public:
    HelpManager() = default;
    HelpManager(const HelpManager&) = delete;
    HelpManager& operator=(const HelpManager&) = delete;

    // Appends the viewer under the next number (1, 2, ... in registration order, never reused),
    // tells the viewer its number and answers the manager link that the viewer keeps.
    std::shared_ptr<HelpManager> registerViewer(const std::shared_ptr<HelpViewer>& viewer);

    // Removes the viewer registered under that number; nothing happens for an unknown number.
    // The selector is not touched: it is released with the manager.
    void withdrawViewer(std::int32_t number);

    // The viewer that chooses who shows the table of contents (null: none).
    void setSelector(std::shared_ptr<HelpSelector> selector);

    // The help file of the last request that named one; empty at first.
    const std::string& currentHelpFile() const { return m_currentHelpFile; }

    // The window that engine calls name as their caller, so that the engine's windows belong to it:
    // the front end's main window (an HWND on Windows) once the front end has set it; 0 (none) before
    // and after.
    std::uintptr_t ownerWindow() const { return m_ownerWindow; }
    void setOwnerWindow(std::uintptr_t window) { m_ownerWindow = window; }

    // Context request. A non-empty help file becomes the current one; the viewers are asked in
    // registration order and the first that accepts is told to show the context. Answers whether a
    // viewer accepted; when none does nothing happens and nothing is reported.
    bool showContext(std::int32_t context, const std::string& helpFile);

    // Table of contents. A non-empty help file becomes the current one; the names of the viewers that
    // have contents are sorted without regard to case and the selector picks one (without a selector,
    // the first); that viewer is told to show its contents. Answers whether one was told.
    bool showTableOfContents(const std::string& helpFile);

    // The registered viewers, in registration order.
    std::vector<std::shared_ptr<HelpViewer>> viewers() const;

private:
    struct Registration
    {
        std::int32_t number;
        std::shared_ptr<HelpViewer> viewer;
    };

    std::vector<Registration> m_viewers;
    std::int32_t m_lastNumber = 0;
    std::string m_currentHelpFile;
    std::shared_ptr<HelpSelector> m_selector;
    std::uintptr_t m_ownerWindow = 0;
};

} // namespace help
