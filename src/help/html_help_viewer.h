#pragma once

#include "help/help_engine.h"
#include "help/help_viewer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace help {

class HelpManager;

// The program's HTML help viewer: it takes every context request for a compiled help file (".chm"),
// shows tables of contents, and as the manager's selector chooses itself for them. It hands both to
// the HTML Help engine with the resolved help file.
class HtmlHelpViewer : public HelpViewer, public HelpSelector
{
public:
    // The viewer's name for the selector.
    static constexpr const char* Name = "HTML Help";

    // engine may be null: every engine call is then skipped. applicationHelpFile is the application's
    // current help file, used when the manager has none.
    HtmlHelpViewer(std::shared_ptr<HelpEngine> engine, std::shared_ptr<const std::string> applicationHelpFile);
    ~HtmlHelpViewer() override;

    // The counted link to the manager that registration answered; null drops it.
    void setManagerLink(std::shared_ptr<HelpManager> manager);
    bool hasManagerLink() const { return m_manager != nullptr; }
    std::int32_t number() const { return m_number; }
    bool hasEngine() const { return m_engine != nullptr; }

    // The help file given to the engine: the manager's current help file (else the application's),
    // behind the program directory when it has no directory part. May be empty.
    std::string resolvedFile() const;

    std::string viewerName() const override;
    // True when helpFile (as given, not resolved) passes the compiled-help test; the context is not
    // looked at.
    bool acceptsContext(std::int32_t context, const std::string& helpFile) override;
    // Engine command 15 with the resolved file and the context number, when that file passes the test.
    void showContext(std::int32_t context, const std::string& helpFile) override;
    bool hasContents() override { return true; }
    // Engine command 1 with the resolved file and data 0, when that file passes the test.
    void showContents() override;
    void takeNumber(std::int32_t number) override { m_number = number; }
    // The first name equal to Name without regard to case; -1 when there is none.
    int chooseContentsViewer(const std::vector<std::string>& names) override;

private:
    void callEngine(const std::string& file, unsigned command, std::uintptr_t data);

    std::int32_t m_number = 0;
    std::shared_ptr<HelpEngine> m_engine;
    std::shared_ptr<HelpManager> m_manager;
    std::shared_ptr<const std::string> m_applicationHelpFile;
};

} // namespace help
