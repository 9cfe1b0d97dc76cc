#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace help {

// A help viewer as the help manager sees it. The manager registers it, asks it about requests and
// tells it to show them.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;

    // The name by which the selector picks a viewer for the table of contents; may be empty.
    virtual std::string viewerName() const = 0;

    // Whether the viewer takes a context request for that help file; the first viewer that takes it
    // is told to show it.
    virtual bool acceptsContext(std::int32_t context, const std::string& helpFile) = 0;

    // Shows the page mapped to the context number.
    virtual void showContext(std::int32_t context, const std::string& helpFile) = 0;

    // Whether the viewer can show a table of contents.
    virtual bool hasContents() = 0;

    // Shows the table of contents of the current help file.
    virtual void showContents() = 0;

    // The number under which the manager registered the viewer.
    virtual void takeNumber(std::int32_t number) = 0;
};

// Chooses which viewer shows the table of contents when several can.
class HelpSelector
{
public:
    virtual ~HelpSelector() = default;

    // The position (from 0) in names of the chosen viewer; -1 to choose none. The names are those of
    // the viewers that have contents, sorted without regard to case.
    virtual int chooseContentsViewer(const std::vector<std::string>& names) = 0;
};

} // namespace help
