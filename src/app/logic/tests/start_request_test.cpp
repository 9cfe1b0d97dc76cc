#include "app/logic/start_request.h"
#include "platform/user_error.h"

#include <gtest/gtest.h>

namespace {

struct HandleCase
{
    const char* digits;
    std::optional<std::uint32_t> handle;
};

class HostHandle : public ::testing::TestWithParam<HandleCase>
{
};

TEST_P(HostHandle, isReadAsHexadecimalOfAtMostEightSignificantDigits)
{
    EXPECT_EQ(app::logic::parseHostHandle(GetParam().digits), GetParam().handle);
}

INSTANTIATE_TEST_SUITE_P(Texts, HostHandle,
    ::testing::Values(HandleCase {"1A2B", 0x1A2Bu}, HandleCase {"0001a2b", 0x1A2Bu},
        HandleCase {"FFFFFFFF", 0xFFFFFFFFu}, HandleCase {"00000000FFFFFFFF", 0xFFFFFFFFu},
        HandleCase {"80000000", 0x80000000u}, HandleCase {"0", 0u}, HandleCase {"000000000000", 0u},
        HandleCase {"123456789", std::nullopt}, HandleCase {"0100000000", std::nullopt},
        HandleCase {"12G4", std::nullopt}, HandleCase {"-1A", std::nullopt}, HandleCase {"+1A", std::nullopt},
        HandleCase {"$1A", std::nullopt}, HandleCase {"0x1A", std::nullopt}, HandleCase {"", std::nullopt},
        HandleCase {" 1A", std::nullopt}, HandleCase {"1A ", std::nullopt}));

struct StartCase
{
    std::vector<std::string> arguments;
    app::logic::RunMode mode;
    bool startsExport;
    bool embeds;
};

class StartRequestFromArguments : public ::testing::TestWithParam<StartCase>
{
};

TEST_P(StartRequestFromArguments, decidesModeExportAndEmbedding)
{
    const app::logic::StartRequest request = app::logic::makeStartRequest(GetParam().arguments);
    EXPECT_EQ(request.argumentCount, static_cast<int>(GetParam().arguments.size()));
    EXPECT_EQ(request.mode, GetParam().mode);
    EXPECT_EQ(request.startsExport, GetParam().startsExport);
    EXPECT_EQ(request.embeds(), GetParam().embeds);
}

using app::logic::RunMode;
INSTANTIATE_TEST_SUITE_P(Arguments, StartRequestFromArguments,
    ::testing::Values(StartCase {{}, RunMode::StandAlone, false, false},
        StartCase {{"importar"}, RunMode::StandAlone, false, false},
        StartCase {{"importar", "1A2B", "x"}, RunMode::StandAlone, false, false},
        StartCase {{"importar", "1A2B"}, RunMode::Host, true, true},
        StartCase {{"IMPORTAR", "1A2B"}, RunMode::Host, true, true},
        StartCase {{"Importar", "0"}, RunMode::Host, true, true},
        StartCase {{"exportar", "1A2B"}, RunMode::Host, false, true},
        StartCase {{" importar", "1A2B"}, RunMode::Host, false, true},
        StartCase {{"importar ", "1A2B"}, RunMode::Host, false, true},
        StartCase {{"\xC3\x8DMPORTAR", "1A2B"}, RunMode::Host, false, true},
        StartCase {{"importar", "12G4"}, RunMode::Host, true, false},
        StartCase {{"otra", "0x1A"}, RunMode::Host, false, false}));

TEST(StartRequestFromArguments, keepsTheCommandWordAndTheHandleOrItsFailure)
{
    const app::logic::StartRequest host = app::logic::makeStartRequest({"Importar", "00ABCDEF"});
    EXPECT_EQ(host.commandWord, "Importar");
    EXPECT_EQ(host.requireHostHandle(), 0xABCDEFu);

    const app::logic::StartRequest unreadable = app::logic::makeStartRequest({"importar", "12G4"});
    EXPECT_EQ(unreadable.handleFailure, "'$12G4' no es un valor entero válido");
    EXPECT_THROW(unreadable.requireHostHandle(), platform::UserError);
}

} // namespace
