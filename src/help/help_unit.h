#pragma once

#include "help/help_engine.h"

#include <cstdint>
#include <memory>
#include <string>

namespace help {

class HelpManager;
class HtmlHelpViewer;

// The program's help layer: the application's help file, the help manager and the HTML help viewer,
// registered with the manager and made its selector.
class HelpUnit
{
public:
    // Creates the manager and the viewer with the given engine (null: none; the viewer still
    // registers, and every engine call is skipped).
    explicit HelpUnit(std::shared_ptr<HelpEngine> engine);
    // Withdraws the viewer from the manager and drops its link; no close command reaches the engine.
    ~HelpUnit();
    HelpUnit(const HelpUnit&) = delete;
    HelpUnit& operator=(const HelpUnit&) = delete;

    void setApplicationHelpFile(const std::string& name);
    const std::string& applicationHelpFile() const { return *m_applicationHelpFile; }

    // See help::contextRequest: always answers true.
    bool contextRequest(std::int32_t context);
    // See help::commandRequest: false when the help file is empty or the command is not HelpContents.
    bool commandRequest(std::uint16_t command, std::int32_t data);

    const std::shared_ptr<HelpManager>& manager() const { return m_manager; }
    // The viewer while it lives (the unit does not keep it alive).
    std::shared_ptr<HtmlHelpViewer> viewer() const { return m_viewer.lock(); }

private:
    std::shared_ptr<std::string> m_applicationHelpFile;
    std::shared_ptr<HelpManager> m_manager;
    std::weak_ptr<HtmlHelpViewer> m_viewer;
};

// The program's help unit: the one startApplicationHelp() made, else one made at this first use with
// the system's engine (loadSystemEngine()).
HelpUnit& applicationHelp();

// Makes the program's help unit with the given engine (null: none), in place of any earlier one,
// whose application help file and owner window are forgotten. A front end calls it at start-up when
// it brings its own engine; tests call it with an engine that records the calls.
void startApplicationHelp(std::shared_ptr<HelpEngine> engine);

} // namespace help
