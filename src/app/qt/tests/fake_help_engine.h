#pragma once

#include "help/help_engine.h"

#include <memory>
#include <string>
#include <vector>

namespace app::qt::testing {

// Records the calls that reach the help engine.
class FakeHelpEngine : public help::HelpEngine
{
public:
    struct Call
    {
        std::string file;
        unsigned command = 0;
        std::uintptr_t data = 0;
    };

    void htmlHelp(std::uintptr_t, const std::string& file, unsigned command, std::uintptr_t data) override
    {
        calls->push_back({file, command, data});
    }

    std::shared_ptr<std::vector<Call>> calls = std::make_shared<std::vector<Call>>();
};

} // namespace app::qt::testing
