#include "app/logic/event_boundary.h"
#include "platform/user_error.h"

#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>

using app::logic::errorBoxTextOf;

namespace {

struct FailureCase
{
    const char* name;
    std::exception_ptr failure;
    std::optional<std::string> text;
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class ErrorBoxText : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(ErrorBoxText, isTheMessageWithItsPeriodAndNothingForASilentAbort)
{
    EXPECT_EQ(errorBoxTextOf(GetParam().failure), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Failures, ErrorBoxText,
    ::testing::Values(
        FailureCase {"userError", std::make_exception_ptr(platform::UserError("No se encuentra")), "No se encuentra."},
        FailureCase {"endsWithPeriod", std::make_exception_ptr(platform::UserError("Hecho.")), "Hecho."},
        FailureCase {"otherStandardFailure", std::make_exception_ptr(std::runtime_error("Ruta:")), "Ruta:."},
        FailureCase {"empty", std::make_exception_ptr(platform::UserError("")), ""},
        FailureCase {"silentAbort", std::make_exception_ptr(platform::SilentAbort()), std::nullopt},
        FailureCase {"unknownKind", std::make_exception_ptr(42), "Se ha producido un error inesperado."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventBoundary, showsTheFailureAndAnswersWhetherTheHandlerEndedWell)
{
    std::vector<std::string> shown;
    const auto show = [&shown](const std::string& text) { shown.push_back(text); };
    int ran = 0;
    EXPECT_TRUE(app::logic::runAtEventBoundary([&ran] { ++ran; }, show));
    EXPECT_FALSE(app::logic::runAtEventBoundary([] { throw platform::UserError("No se puede leer la tabla"); }, show));
    EXPECT_FALSE(app::logic::runAtEventBoundary([] { throw platform::SilentAbort(); }, show));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(shown, std::vector<std::string> {"No se puede leer la tabla."});
}

} // namespace
