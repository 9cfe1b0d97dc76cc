#include "help/help_manager.h"
#include "help/help_requests.h"
#include "help/help_unit.h"
#include "help/html_help_viewer.h"
#include "platform/paths.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

struct EngineCall
{
    std::uintptr_t caller;
    std::string file;
    unsigned command;
    std::uintptr_t data;

    bool operator==(const EngineCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const EngineCall& call)
{
    return out << "{caller " << call.caller << ", '" << call.file << "', command " << call.command << ", data "
               << call.data << "}";
}

class RecordingEngine : public help::HelpEngine
{
public:
    void htmlHelp(std::uintptr_t caller, const std::string& file, unsigned command, std::uintptr_t data) override
    {
        calls.push_back({caller, file, command, data});
    }
    std::vector<EngineCall> calls;
};

// The program's help layer with a recording engine, set up as start-up sets it.
class HelpRequestsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_engine = std::make_shared<RecordingEngine>();
        help::startApplicationHelp(m_engine);
        help::setApplicationHelpFile("EDUCA.chm");
    }
    void TearDown() override { help::startApplicationHelp(nullptr); }

    std::vector<EngineCall>& calls() { return m_engine->calls; }
    static std::string programHelpFile() { return platform::programDirectory() + "EDUCA.chm"; }

    std::shared_ptr<RecordingEngine> m_engine;
};

TEST_F(HelpRequestsTest, contextRequestShowsTheMappedPageOfTheProgramsHelpFile)
{
    EXPECT_TRUE(help::contextRequest(1));
    EXPECT_EQ(calls(), (std::vector<EngineCall> {{0, programHelpFile(), help::HelpByContext, 1}}));
    EXPECT_EQ(help::HelpByContext, 15u);
}

TEST_F(HelpRequestsTest, contentsRequestShowsTheTableOfContents)
{
    help::commandRequest(help::HelpContents, 0);
    EXPECT_EQ(calls(), (std::vector<EngineCall> {{0, programHelpFile(), help::DisplayTableOfContents, 0}}));
    EXPECT_EQ(help::DisplayTableOfContents, 1u);
}

TEST_F(HelpRequestsTest, helpFileIsFoundInTheProgramDirectoryAfterTheCurrentDirectoryChanged)
{
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    help::contextRequest(1);
    help::commandRequest(help::HelpContents, 0);
    std::filesystem::current_path(before);

    ASSERT_EQ(calls().size(), 2u);
    // The test program lies beside the help file, in the build's program directory.
    const std::filesystem::path expected = std::filesystem::path(EDUCA_TEST_HELP_FILE);
    for (const EngineCall& call : calls()) {
        EXPECT_TRUE(std::filesystem::path(call.file).is_absolute()) << call;
        EXPECT_TRUE(std::filesystem::equivalent(call.file, expected)) << call;
    }
}

TEST_F(HelpRequestsTest, nameWithTrailingBlankShowsNothing)
{
    help::setApplicationHelpFile("EDUCA.chm ");
    EXPECT_TRUE(help::contextRequest(1));
    help::commandRequest(help::HelpContents, 0);
    EXPECT_TRUE(calls().empty());
}

TEST_F(HelpRequestsTest, namesWithADirectoryAreUsedUnchanged)
{
    help::setApplicationHelpFile("D:\\Ayuda\\EDUCA.chm");
    help::contextRequest(1);
    help::setApplicationHelpFile("D:EDUCA.chm");
    help::commandRequest(help::HelpContents, 0);
    EXPECT_EQ(calls(), (std::vector<EngineCall> {{0, "D:\\Ayuda\\EDUCA.chm", 15, 1}, {0, "D:EDUCA.chm", 1, 0}}));
}

TEST_F(HelpRequestsTest, emptyHelpFileMakesTheCommandRequestDoNothing)
{
    help::setApplicationHelpFile("");
    EXPECT_FALSE(help::commandRequest(help::HelpContents, 0));
    EXPECT_TRUE(calls().empty());
}

TEST_F(HelpRequestsTest, otherCommandsShowNothing)
{
    EXPECT_FALSE(help::commandRequest(1, 1));
    EXPECT_FALSE(help::commandRequest(help::HelpContents + 1, 0));
    EXPECT_TRUE(calls().empty());
}

TEST_F(HelpRequestsTest, contextNumberGoesToTheEngineUnexamined)
{
    help::contextRequest(0);
    help::contextRequest(-1);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].data, 0u);
    EXPECT_EQ(calls()[1].data, 0xFFFFFFFFu);
}

TEST_F(HelpRequestsTest, engineCallsNameTheOwnerWindowTheFrontEndSet)
{
    // Unset, then set by the front end when its window exists, then cleared when it has gone.
    help::contextRequest(1);
    help::setHelpOwnerWindow(0x1A2B);
    help::contextRequest(1);
    help::commandRequest(help::HelpContents, 0);
    help::setHelpOwnerWindow(0);
    help::commandRequest(help::HelpContents, 0);
    const std::string file = programHelpFile();
    EXPECT_EQ(calls(),
        (std::vector<EngineCall> {{0, file, 15, 1}, {0x1A2B, file, 15, 1}, {0x1A2B, file, 1, 0}, {0, file, 1, 0}}));

    // A new help unit forgets it.
    help::setHelpOwnerWindow(0x1A2B);
    help::startApplicationHelp(m_engine);
    help::setApplicationHelpFile("EDUCA.chm");
    help::contextRequest(1);
    EXPECT_EQ(calls().back(), (EngineCall {0, file, 15, 1}));
}

TEST(HelpUnit, withoutEngineRequestsAnswerAndShowNothing)
{
    help::HelpUnit unit(nullptr);
    unit.setApplicationHelpFile("EDUCA.chm");
    EXPECT_TRUE(unit.contextRequest(1));
    EXPECT_TRUE(unit.commandRequest(help::HelpContents, 0));
    EXPECT_FALSE(unit.viewer()->hasEngine());
}

TEST(HelpUnit, viewerIsRegisteredAsTheSelectorAndChoosesItself)
{
    help::HelpUnit unit(nullptr);
    auto viewer = unit.viewer();
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->number(), 1);
    ASSERT_EQ(unit.manager()->viewers().size(), 1u);
    EXPECT_EQ(unit.manager()->viewers()[0], viewer);
    EXPECT_EQ(viewer->chooseContentsViewer({"", "html help", "Otro"}), 1);
    EXPECT_EQ(viewer->chooseContentsViewer({"", "WinHelp"}), -1);
}

TEST(HelpUnit, managersHelpFileWinsOverTheApplicationsWhenResolving)
{
    auto engine = std::make_shared<RecordingEngine>();
    help::HelpUnit unit(engine);
    unit.setApplicationHelpFile("EDUCA.chm");
    EXPECT_EQ(unit.viewer()->resolvedFile(), platform::programDirectory() + "EDUCA.chm");
    unit.manager()->showContext(1, "D:\\Otra.chm");
    EXPECT_EQ(unit.viewer()->resolvedFile(), "D:\\Otra.chm");
}

TEST(HelpUnit, endingWithdrawsTheViewerWithoutAnEngineCommand)
{
    auto engine = std::make_shared<RecordingEngine>();
    std::weak_ptr<help::HtmlHelpViewer> viewer;
    std::weak_ptr<help::HelpManager> manager;
    {
        help::HelpUnit unit(engine);
        unit.setApplicationHelpFile("EDUCA.chm");
        unit.contextRequest(1);
        viewer = unit.viewer();
        manager = unit.manager();
    }
    // Viewer and manager held each other; both must be gone, and nothing was sent to close help windows.
    EXPECT_TRUE(viewer.expired());
    EXPECT_TRUE(manager.expired());
    EXPECT_EQ(engine->calls.size(), 1u);
    EXPECT_EQ(engine.use_count(), 1);
}

} // namespace
