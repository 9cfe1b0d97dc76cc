#include "app/logic/main_window.h"
#include "help/help_engine.h"
#include "help/help_requests.h"
#include "help/help_unit.h"
#include "platform/paths.h"
#include "support/environment.h"
#include "support/temp_folder.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <sstream>

namespace fs = std::filesystem;
using namespace app::logic;

namespace {

// The window as the controller sees it: every call is written to a log, answers come from settings.
class FakeView : public MainWindowView
{
public:
    HostWindowCheck check = HostWindowCheck::Usable;
    bool topLevelMade = true; // createTopLevelWindow
    HostWindowCheck inside = HostWindowCheck::Usable; // createInsideHostWindow
    bool insideAfterShow = true; // isInsideHostWindow
    std::optional<Size> hostArea = Size {900, 560};
    bool hostChild = true; // isHostChild
    std::deque<std::optional<std::string>> fileNames; // answers of the save dialog, in order
    std::vector<DialogOwner> owners; // of each save dialog shown
    MainWindowController* controller = nullptr; // to press buttons from inside a box
    std::vector<std::string> log;

    void removeFrame() override { log.push_back("removeFrame"); }
    bool createTopLevelWindow() override
    {
        log.push_back("topLevel");
        return topLevelMade;
    }
    HostWindowCheck checkHostWindow(std::uint32_t host) override
    {
        log.push_back(hex("check", host));
        return check;
    }
    HostWindowCheck createInsideHostWindow(std::uint32_t host) override
    {
        log.push_back(hex("inside", host));
        return inside;
    }
    std::uintptr_t nativeHandle() override { return 0x5A; }
    Size screenSize() override { return {1024, 768}; }
    std::optional<Size> hostAreaSize(std::uint32_t) override { return hostArea; }
    Size outerSize() override { return {626, 295}; }
    void showAt(Position position) override
    {
        log.push_back("showAt " + std::to_string(position.left) + "," + std::to_string(position.top));
    }
    bool isInsideHostWindow(std::uint32_t) override { return insideAfterShow; }
    void focusInsideHostWindow() override { log.push_back("focus"); }
    void hideWindow() override { log.push_back("hide"); }
    void windowClosed() override { log.push_back("closed"); }
    bool isHostChild() override { return hostChild; }
    std::optional<std::string> askSaveFileName(const std::string& offeredName, DialogOwner owner) override
    {
        log.push_back("save dialog '" + offeredName + "'");
        owners.push_back(owner);
        if (fileNames.empty())
            return std::nullopt;
        auto answer = fileNames.front();
        fileNames.pop_front();
        return answer;
    }
    void showPlainMessage(const std::string& text) override { log.push_back("plain " + text); }
    void showErrorBox(const std::string& text) override { log.push_back("error " + text); }
    void hideExportButton() override { log.push_back("hideExport"); }
    void setDefaultCursor() override { log.push_back("cursor"); }

private:
    static std::string hex(const char* what, std::uint32_t value)
    {
        std::ostringstream text;
        text << what << ' ' << std::uppercase << std::hex << value;
        return text.str();
    }
};

// A program directory of its own (no tables in it) for each test, where the host ini file lands.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_temp.emplace("educa-main-window");
        m_dir = m_temp->path();
        platform::setProgramDirectoryOverride(platform::pathText(m_dir / ""));
    }
    void TearDown() override
    {
        platform::setProgramDirectoryOverride({});
        m_temp.reset();
    }

    // The host ini file's text; "none" when it was not written.
    std::string ini() const
    {
        std::ifstream in(m_dir / "Morvanta.ini", std::ios::binary);
        if (!in)
            return "none";
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::optional<support::TempFolder> m_temp;
    fs::path m_dir;
};

struct StartCase
{
    const char* name;
    std::vector<std::string> arguments;
    HostWindowCheck check;
    std::vector<std::string> log; // create(), showAtStartup(), then the close button
    int savedArgumentCount;
    std::string ini;
};

void PrintTo(const StartCase& c, std::ostream* out)
{
    *out << c.name;
}

class StartAndClose : public MainWindowTest, public ::testing::WithParamInterface<StartCase>
{
};

// The whole life of the window for each start: what is created, where it is shown, whether the
// export starts by itself, and what closing writes.
TEST_P(StartAndClose, followsTheStartRequest)
{
    const StartCase& c = GetParam();
    FakeView view;
    view.check = c.check;
    MainWindowController controller(makeStartRequest(c.arguments), view);
    ASSERT_TRUE(controller.create());
    controller.showAtStartup();
    if (!controller.hasClosed())
        controller.buttonPressed(Element::BClose);
    EXPECT_EQ(view.log, c.log);
    EXPECT_EQ(controller.appState().savedArgumentCount, c.savedArgumentCount);
    EXPECT_EQ(controller.appState().outcomeFlag, 0);
    EXPECT_TRUE(controller.hasClosed());
    EXPECT_EQ(controller.exitCode(), NormalExitCode);
    EXPECT_EQ(ini(), c.ini);
}

const std::string NoFileName = "plain Debe indicar un Nombre de Archivo";
const std::string Zero = "[Transformadores]\r\nTransformado=0\r\n";

INSTANTIATE_TEST_SUITE_P(Starts, StartAndClose,
    ::testing::Values(
        // Centred on the screen by the outer size: (1024 - 626) / 2, (768 - 295) / 2.
        StartCase {
            "standAlone", {}, HostWindowCheck::Usable, {"topLevel", "showAt 199,236", "hide", "closed"}, 0, "none"},
        StartCase {"threeArguments", {"importar", "1A2B", "x"}, HostWindowCheck::Usable,
            {"topLevel", "showAt 199,236", "hide", "closed"}, 0, "none"},
        // Inside the host, centred in its client area: (900 - 626) / 2, (560 - 295) / 2.
        StartCase {"hostOtherWord", {"mostrar", "1a2b"}, HostWindowCheck::Usable,
            {"removeFrame", "check 1A2B", "inside 1A2B", "showAt 137,132", "focus", "hide", "closed"}, 2, Zero},
        // The export starts while the window is not yet shown; cancelled, it closes the window.
        StartCase {"hostImportarCancelled", {"IMPORTAR", "1A2B"}, HostWindowCheck::Usable,
            {"removeFrame", "check 1A2B", "inside 1A2B", "save dialog ''", NoFileName, "hide", "closed"}, 2, Zero},
        // Handle 0: host mode on a frameless top-level window.
        StartCase {"handleZero", {"otra", "00000000"}, HostWindowCheck::Missing,
            {"removeFrame", "topLevel", "showAt 199,236", "hide", "closed"}, 2, Zero},
        // An unreadable handle: the error box, then stand-alone but for the export starting by itself.
        StartCase {"unreadableHandle", {"importar", "12G4"}, HostWindowCheck::Usable,
            {"error '$12G4' no es un valor entero válido.", "topLevel", "save dialog ''", NoFileName, "showAt 199,236",
                "hide", "closed"},
            0, "none"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WindowFailureCase
{
    const char* name;
    std::vector<std::string> arguments;
    HostWindowCheck check; // checkHostWindow
    bool topLevelMade; // createTopLevelWindow
    HostWindowCheck inside; // createInsideHostWindow
    std::string error;
    int exitCode;
};

void PrintTo(const WindowFailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class WindowNotMade : public MainWindowTest, public ::testing::WithParamInterface<WindowFailureCase>
{
};

// A window that cannot be made, in the host window or on its own: the error box with the reason, a
// failing exit code for whoever started the program, and no ini file.
TEST_P(WindowNotMade, endsWithAFailingExitCodeAndWritesNothing)
{
    const WindowFailureCase& c = GetParam();
    FakeView view;
    view.check = c.check;
    view.topLevelMade = c.topLevelMade;
    view.inside = c.inside;
    MainWindowController controller(makeStartRequest(c.arguments), view);
    EXPECT_FALSE(controller.create());
    EXPECT_EQ(controller.exitCode(), c.exitCode);
    ASSERT_FALSE(view.log.empty());
    EXPECT_EQ(view.log.back(), "error " + c.error);
    EXPECT_EQ(ini(), "none");
}

const std::vector<std::string> HostArguments = {"importar", "1FFFFF0"};
const std::string HostMissing
    = "No existe la ventana 1FFFFF0 del programa anfitrión: no se puede crear la ventana del programa dentro de ella.";
const std::string NotCreated = "No se puede crear la ventana principal del programa.";
constexpr auto Usable = HostWindowCheck::Usable;

INSTANTIATE_TEST_SUITE_P(Checks, WindowNotMade,
    ::testing::Values(
        WindowFailureCase {"missing", HostArguments, HostWindowCheck::Missing, true, Usable, HostMissing, 1},
        // Gone between the check and the creation.
        WindowFailureCase {"goneMeanwhile", HostArguments, Usable, true, HostWindowCheck::Missing, HostMissing, 1},
        // There, yet the window system would not take the window into it.
        WindowFailureCase {"refused", HostArguments, Usable, true, HostWindowCheck::Refused,
            "La ventana 1FFFFF0 del programa anfitrión existe, pero el sistema no ha permitido crear la ventana del "
            "programa dentro de ella.",
            1},
        WindowFailureCase {"topLevelRefused", {}, Usable, false, Usable, NotCreated, 1},
        WindowFailureCase {"topLevelRefusedHandleZero", {"importar", "0"}, Usable, false, Usable, NotCreated, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, hostWindowGoneClosesTheWindowOnceWithTheOutcomeWritten)
{
    FakeView view;
    view.insideAfterShow = false; // the host went between the check and the show
    MainWindowController controller(makeStartRequest({"mostrar", "1A2B"}), view);
    ASSERT_TRUE(controller.create());
    controller.showAtStartup();
    controller.hostWindowGone(); // its announcement comes too
    controller.buttonPressed(Element::BClose);
    EXPECT_EQ(
        view.log, (std::vector<std::string> {"removeFrame", "check 1A2B", "inside 1A2B", "showAt 137,132", "closed"}));
    EXPECT_EQ(ini(), Zero);
}

// The main window owns the save dialog only when it is shown as a window of its own; before it is
// shown, and as a child inside the host window, the application does.
TEST_F(MainWindowTest, saveDialogOwner)
{
    const struct
    {
        std::vector<std::string> arguments;
        bool hostChild;
        DialogOwner owner;
    } cases[] = {
        {{}, true, DialogOwner::MainWindow},
        {{"mostrar", "1A2B"}, false, DialogOwner::MainWindow}, // placed over the host window
        {{"mostrar", "1A2B"}, true, DialogOwner::Application},
        {{"importar", "1A2B"}, false, DialogOwner::Application}, // the export before the show
    };
    for (const auto& c : cases) {
        FakeView view;
        view.hostChild = c.hostChild;
        MainWindowController controller(makeStartRequest(c.arguments), view);
        ASSERT_TRUE(controller.create());
        controller.showAtStartup();
        if (!controller.hasClosed())
            controller.buttonPressed(Element::BImportar);
        EXPECT_EQ(view.owners, std::vector<DialogOwner> {c.owner}) << ::testing::PrintToString(c.arguments);
    }
}

TEST_F(MainWindowTest, hostWindowWithoutKnownSizeCentresInAnEmptyArea)
{
    FakeView view;
    view.hostArea.reset();
    MainWindowController controller(makeStartRequest({"mostrar", "1A2B"}), view);
    ASSERT_TRUE(controller.create());
    controller.showAtStartup();
    EXPECT_EQ(view.log.at(3), "showAt 0,0");
}

// The run enters the event loop only with the window shown and still open, and ends with the
// controller's exit code.
TEST_F(MainWindowTest, runMainWindowEntersTheLoopOnlyForAnOpenWindow)
{
    const struct
    {
        std::vector<std::string> arguments;
        HostWindowCheck check;
        int loops;
        int exitCode;
    } cases[] = {
        {{}, HostWindowCheck::Usable, 1, NormalExitCode},
        {{"importar", "1A2B"}, HostWindowCheck::Usable, 0, NormalExitCode}, // closed by the export
        {{"mostrar", "1A2B"}, HostWindowCheck::Missing, 0, NoHostWindowExitCode},
    };
    for (const auto& c : cases) {
        FakeView view;
        view.check = c.check;
        MainWindowController controller(makeStartRequest(c.arguments), view);
        int loops = 0;
        const auto loop = [&] {
            ++loops;
            controller.buttonPressed(Element::BClose);
        };
        EXPECT_EQ(runMainWindow(controller, loop), c.exitCode) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(loops, c.loops) << ::testing::PrintToString(c.arguments);
    }
}

TEST_F(MainWindowTest, unwritableIniKeepsTheWindowUntilAWriteSucceeds)
{
    FakeView view;
    MainWindowController controller(makeStartRequest({"mostrar", "0"}), view);
    ASSERT_TRUE(controller.create());
    controller.showAtStartup();
    view.log.clear();
    const fs::path missing = m_dir / "no-existe" / "";
    platform::setProgramDirectoryOverride(platform::pathText(missing));
    EXPECT_FALSE(controller.requestClose());
    EXPECT_FALSE(controller.hasClosed());
    EXPECT_EQ(view.log,
        (std::vector<std::string> {"error Unable to write to " + platform::pathText(missing / "Morvanta.ini") + "."}));

    platform::setProgramDirectoryOverride(platform::pathText(m_dir / ""));
    EXPECT_TRUE(controller.requestClose());
    EXPECT_TRUE(controller.requestClose()); // once closed, nothing more happens
    EXPECT_EQ(view.log.size(), 3u);
    EXPECT_EQ(ini(), Zero);
}

TEST_F(MainWindowTest, hostWindowGoneEndsTheProgramEvenWhenTheIniCannotBeWritten)
{
    FakeView view;
    MainWindowController controller(makeStartRequest({"mostrar", "1A2B"}), view);
    ASSERT_TRUE(controller.create());
    controller.showAtStartup();
    view.log.clear();
    platform::setProgramDirectoryOverride(platform::pathText(m_dir / "no-existe" / ""));
    controller.hostWindowGone();
    ASSERT_EQ(view.log.size(), 2u);
    EXPECT_EQ(view.log[0].rfind("error Unable to write to ", 0), 0u) << view.log[0];
    EXPECT_EQ(view.log[1], "closed");
    EXPECT_TRUE(controller.hasClosed());
}

// A failing export run (no tables in the program directory) is shown and changes nothing; the save
// dialog offers the name confirmed last, also after a cancel.
TEST_F(MainWindowTest, failedExportIsShownAndTheDialogOffersTheRememberedName)
{
    FakeView view;
    const std::string chosen = platform::pathText(m_dir / "horario.xml");
    view.fileNames = {chosen, std::nullopt};
    MainWindowController controller(makeStartRequest({"mostrar", "1A2B"}), view);
    ASSERT_TRUE(controller.create());
    controller.showAtStartup();
    view.log.clear();
    controller.buttonPressed(Element::BImportar);
    controller.buttonPressed(Element::BImportar);
    ASSERT_EQ(view.log.size(), 4u);
    EXPECT_EQ(view.log[0], "save dialog ''");
    EXPECT_EQ(view.log[1].rfind("error ", 0), 0u) << view.log[1];
    EXPECT_NE(view.log[1].find("Asig.DBF"), std::string::npos) << view.log[1];
    EXPECT_EQ(view.log[2], "save dialog '" + chosen + "'");
    EXPECT_EQ(view.log[3], view.log[1]);
    EXPECT_EQ(controller.appState().rememberedFileName, chosen);
    EXPECT_EQ(controller.appState().outcomeFlag, 0);
    EXPECT_FALSE(controller.hasClosed());
    EXPECT_FALSE(fs::exists(chosen));
}

#ifndef _WIN32
// A completed export, on its own and in host mode: the document under the confirmed name, then the
// button hidden, the cursor reset, "Proceso finalizado" and, in host mode, the close writing 1. On its
// own the window stays, and a later cancelled dialog exports again to the name confirmed before.
// (SOLUC is read from c:\mtemp, which the test maps to the fixture's folder; on Windows it is the
// real folder, and the Windows program's tests export through the real window.)
TEST_F(MainWindowTest, completedExportTellsAndClosesOnlyInHostMode)
{
    const fs::path school = fs::path(EXPORT_FIXTURES_DIR) / "school";
    for (const char* table : {"Asig.DBF", "NOMASG.DBF", "PROF.DBF", "GRUP.DBF", "AULA.DBF"})
        fs::copy_file(school / table, m_dir / table);
    support::ScopedEnvironment driveC("EDUCA_DRIVE_C", school.string());
    const std::string chosen = platform::pathText(m_dir / "horario.xml");
    const std::vector<std::string> done = {"hideExport", "cursor", "plain Proceso finalizado"};
    for (const bool host : {false, true}) {
        fs::remove(m_dir / "horario.xml");
        FakeView view;
        view.fileNames = {chosen, std::nullopt};
        MainWindowController controller(
            makeStartRequest(host ? std::vector<std::string> {"mostrar", "1A2B"} : std::vector<std::string> {}), view);
        ASSERT_TRUE(controller.create());
        controller.showAtStartup();
        view.log.clear();
        controller.buttonPressed(Element::BImportar);
        std::vector<std::string> expected = {"save dialog ''"};
        expected.insert(expected.end(), done.begin(), done.end());
        if (host)
            expected.insert(expected.end(), {"hide", "closed"});
        EXPECT_EQ(view.log, expected) << host;
        EXPECT_EQ(controller.appState().outcomeFlag, 1);
        EXPECT_TRUE(fs::exists(chosen));
        EXPECT_EQ(controller.hasClosed(), host);
        EXPECT_EQ(ini(), host ? "[Transformadores]\r\nTransformado=1\r\n" : "none");
        if (!host) {
            fs::remove(chosen);
            view.log.clear();
            controller.buttonPressed(Element::BImportar);
            expected = {"save dialog '" + chosen + "'"};
            expected.insert(expected.end(), done.begin(), done.end());
            EXPECT_EQ(view.log, expected);
            EXPECT_TRUE(fs::exists(chosen));
        }
    }
}
#endif

class RecordingEngine : public help::HelpEngine
{
public:
    void htmlHelp(std::uintptr_t caller, const std::string&, unsigned command, std::uintptr_t data) override
    {
        calls.push_back({caller, command, data});
    }
    struct Call
    {
        std::uintptr_t caller;
        unsigned command;
        std::uintptr_t data;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
};

// F1 on every element and the help button reach the engine with the window as owner; after the close,
// or once the window has gone, help has no owner.
TEST_F(MainWindowTest, helpGoesToTheEngineWithTheWindowAsOwner)
{
    auto engine = std::make_shared<RecordingEngine>();
    help::startApplicationHelp(engine);
    help::setApplicationHelpFile("EDUCA.chm");
    FakeView view;
    MainWindowController controller(makeStartRequest({}), view);
    ASSERT_TRUE(controller.create());
    for (const ElementLayout& element : MainWindowLayout)
        controller.helpKeyPressed(element.element);
    help::setApplicationHelpFile("");
    controller.buttonPressed(Element::Button1);
    EXPECT_EQ(help::applicationHelpFile(), "EDUCA.chm");
    controller.requestClose();
    controller.helpKeyPressed(Element::MForm);
    // A window that goes without closing takes its handle back too.
    {
        MainWindowController unclosed(makeStartRequest({}), view);
        ASSERT_TRUE(unclosed.create());
    }
    controller.helpKeyPressed(Element::MForm);

    std::vector<RecordingEngine::Call> expected(MainWindowLayout.size(), {0x5A, help::HelpByContext, 1});
    expected.push_back({0x5A, help::DisplayTableOfContents, 0});
    expected.push_back({0, help::HelpByContext, 1});
    expected.push_back({0, help::HelpByContext, 1});
    EXPECT_EQ(engine->calls, expected);
    help::startApplicationHelp(nullptr);
}

} // namespace
