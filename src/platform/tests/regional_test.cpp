#include "platform/posix_locale_map.h"
#include "platform/regional.h"
#include "support/environment.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <unistd.h>
#endif

#ifndef _WIN32
// glibc's newlocale() leaks its copy of LOCPATH on every call (seen with glibc 2.36), and the Spanish
// locale tests set LOCPATH: keep LeakSanitizer quiet about that one. The allocating frame is named
// __argz_add_sep where glibc's debug symbols are installed and argz_add_sep where they are not; a
// suppression matches anywhere in the name, so this one covers both. Unused without the sanitizer.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:argz_add_sep\n";
}
#endif

namespace platform {
namespace {

// --- D_FMT to short-date picture ---------------------------------------------------------------

struct DateFormatCase
{
    const char* dFmt;
    std::optional<std::string> picture;
    std::optional<std::string> separator;
};

void PrintTo(const DateFormatCase& c, std::ostream* os)
{
    *os << '"' << c.dFmt << '"';
}

class PosixDateFormat : public ::testing::TestWithParam<DateFormatCase>
{
};

TEST_P(PosixDateFormat, mapsToPictureAndSeparator)
{
    const posix::DateFormatSettings mapped = posix::mapDateFormat(GetParam().dFmt);
    EXPECT_EQ(mapped.shortDate, GetParam().picture);
    EXPECT_EQ(mapped.dateSeparator, GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(Formats, PosixDateFormat,
    ::testing::Values(DateFormatCase {"%d/%m/%y", "dd/MM/yy", "/"}, DateFormatCase {"%m/%d/%Y", "MM/dd/yyyy", "/"},
        DateFormatCase {"%D", "MM/dd/yy", "/"}, DateFormatCase {"%F", "yyyy-MM-dd", "-"},
        DateFormatCase {"%d.%m.%Y", "dd.MM.yyyy", "."}, DateFormatCase {"%e-%b-%Y", "d-MMM-yyyy", "-"},
        DateFormatCase {"%a %d %b %Y", "ddd dd MMM yyyy", " "},
        DateFormatCase {"%A, %B %e, %Y", "dddd, MMMM d, yyyy", ","},
        DateFormatCase {"%d de %B de %Y", "dd 'de' MMMM 'de' yyyy", " "},
        DateFormatCase {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5",
            "yyyy\xE5\xB9\xB4MM\xE6\x9C\x88"
            "dd\xE6\x97\xA5",
            std::nullopt},
        DateFormatCase {"%Y%m%d", "yyyyMMdd", std::nullopt}, DateFormatCase {"%Od/%Om/%Ey", "dd/MM/yy", "/"},
        DateFormatCase {"%-d/%-m/%Y", "d/M/yyyy", "/"}, DateFormatCase {"%0e/%h", "dd/MMM", "/"},
        DateFormatCase {"%d%%%m", "dd%MM", "%"}, DateFormatCase {"%d'%m\"%y", "dd\"'\"MM'\"'yy", "'"},
        DateFormatCase {"%C%y/%m", "yy/MM", "/"}, DateFormatCase {"(%d/%m)", "(dd/MM)", "/"},
        DateFormatCase {"", std::nullopt, std::nullopt}, DateFormatCase {"%H:%M", std::nullopt, std::nullopt}));

// --- T_FMT and T_FMT_AMPM to clock settings ------------------------------------------------------

struct TimeFormatCase
{
    const char* tFmt;
    const char* tFmtAmPm;
    std::optional<std::string> separator;
    std::optional<int> clock24;
    std::optional<int> leadingZero;
    std::optional<int> markBefore;
};

void PrintTo(const TimeFormatCase& c, std::ostream* os)
{
    *os << '"' << c.tFmt << "\" \"" << c.tFmtAmPm << '"';
}

class PosixTimeFormat : public ::testing::TestWithParam<TimeFormatCase>
{
};

TEST_P(PosixTimeFormat, mapsToClockSettings)
{
    const posix::TimeFormatSettings mapped = posix::mapTimeFormat(GetParam().tFmt, GetParam().tFmtAmPm);
    EXPECT_EQ(mapped.timeSeparator, GetParam().separator);
    EXPECT_EQ(mapped.clock24, GetParam().clock24);
    EXPECT_EQ(mapped.hourLeadingZero, GetParam().leadingZero);
    EXPECT_EQ(mapped.timeMarkBefore, GetParam().markBefore);
}

INSTANTIATE_TEST_SUITE_P(Formats, PosixTimeFormat,
    ::testing::Values(
        // es_ES, de_DE
        TimeFormatCase {"%T", "", ":", 1, 1, std::nullopt},
        // en_US: T_FMT is %r, which stands for T_FMT_AMPM
        TimeFormatCase {"%r", "%I:%M:%S %p", ":", 0, 1, 0},
        // en_GB
        TimeFormatCase {"%T", "%l:%M:%S %P %Z", ":", 1, 1, 0}, TimeFormatCase {"%H.%M.%S", "", ".", 1, 1, std::nullopt},
        TimeFormatCase {"%k:%M", "", ":", 1, 0, std::nullopt}, TimeFormatCase {"%R", "", ":", 1, 1, std::nullopt},
        TimeFormatCase {"%l:%M:%S %p", "", ":", 0, 0, 0}, TimeFormatCase {"%p %I:%M:%S", "", ":", 0, 1, 1},
        TimeFormatCase {"%-H:%M", "", ":", 1, 0, std::nullopt}, TimeFormatCase {"%0l:%M %p", "", ":", 0, 1, 0},
        // %r without a T_FMT_AMPM
        TimeFormatCase {"%r", "", ":", 0, 1, 0},
        // ko_KR: the hour sign is a letter, so no separator of its own; designator before the hour
        TimeFormatCase {"%H\xEC\x8B\x9C %M\xEB\xB6\x84 %S\xEC\xB4\x88",
            "%p %I\xEC\x8B\x9C %M\xEB\xB6\x84 %S\xEC\xB4\x88", std::nullopt, 1, 1, 1},
        TimeFormatCase {"%Hh%M", "", std::nullopt, 1, 1, std::nullopt},
        TimeFormatCase {"%H%M%S", "", std::nullopt, 1, 1, std::nullopt},
        // no hour in T_FMT: T_FMT_AMPM decides
        TimeFormatCase {"", "%I:%M:%S %p", ":", 0, 1, 0},
        TimeFormatCase {"", "", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        TimeFormatCase {"%M:%S", "", std::nullopt, std::nullopt, std::nullopt, std::nullopt}));

// --- Settings in force -------------------------------------------------------------------------

TEST(RegionalSettingsInForce, setReplacesAndReloadReadsTheSystemAgain)
{
    RegionalSettings custom;
    custom.decimalSeparator = "#";
    custom.shortDate = "yyyy|MM|dd";
    setRegionalSettings(custom);
    EXPECT_EQ(regionalSettings().decimalSeparator, "#");
    EXPECT_EQ(regionalSettings().shortDate, "yyyy|MM|dd");

    reloadRegionalSettings();
    const RegionalSettings system = readSystemRegionalSettings();
    EXPECT_EQ(regionalSettings().decimalSeparator, system.decimalSeparator);
    EXPECT_EQ(regionalSettings().shortDate, system.shortDate);
}

#ifndef _WIN32

// --- Reading the POSIX locale ------------------------------------------------------------------

// Sets environment variables for the test's duration and puts the old values back.
class EnvironmentGuard
{
public:
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                support::setEnvironment(name, *value);
            else
                support::unsetEnvironment(name);
        }
    }
    void set(const std::string& name, const char* value)
    {
        if (!m_saved.contains(name))
            m_saved[name] = support::environment(name);
        if (value != nullptr)
            support::setEnvironment(name, value);
        else
            support::unsetEnvironment(name);
    }
    // Clears every locale variable, then sets the given ones.
    void locale(const char* all, const char* numeric, const char* time, const char* lang)
    {
        set("LC_ALL", all);
        set("LC_NUMERIC", numeric);
        set("LC_TIME", time);
        set("LANG", lang);
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

void expectNoDateTimeOrNames(const RegionalSettings& s)
{
    EXPECT_EQ(s.decimalSeparator, ".");
    EXPECT_FALSE(s.shortDate);
    EXPECT_FALSE(s.dateSeparator);
    EXPECT_FALSE(s.timeSeparator);
    EXPECT_FALSE(s.clock24);
    EXPECT_FALSE(s.hourLeadingZero);
    EXPECT_FALSE(s.timeMarkBefore);
    EXPECT_FALSE(s.amDesignator);
    EXPECT_FALSE(s.pmDesignator);
    EXPECT_FALSE(s.longDayNames);
    EXPECT_FALSE(s.shortDayNames);
    EXPECT_FALSE(s.longMonthNames);
    EXPECT_FALSE(s.shortMonthNames);
}

TEST(PosixLocale, cLocaleGivesOnlyThePoint)
{
    for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
        SCOPED_TRACE(name);
        EnvironmentGuard env;
        env.locale(name, nullptr, nullptr, nullptr);
        expectNoDateTimeOrNames(readSystemRegionalSettings());
    }
}

TEST(PosixLocale, noLocaleVariablesMeansTheCLocale)
{
    EnvironmentGuard env;
    env.locale(nullptr, nullptr, nullptr, nullptr);
    expectNoDateTimeOrNames(readSystemRegionalSettings());
}

TEST(PosixLocale, missingLocaleGivesOnlyThePoint)
{
    EnvironmentGuard env;
    env.locale("xx_NOWHERE.UTF-8", nullptr, nullptr, nullptr);
    expectNoDateTimeOrNames(readSystemRegionalSettings());
}

// Spanish locales: the installed ones, or ones that localedef compiles for the tests into a cache
// directory named by LOCPATH. The cache stays between runs, since compiling takes a second or two and
// CTest starts the executable once per test.
class SpanishLocale : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        namespace fs = std::filesystem;
        if (bothLoadable())
            return;
        std::error_code error;
        const fs::path temp = fs::temp_directory_path(error);
        if (error)
            return;
        const fs::path cache = temp / ("educa-test-locales-" + std::to_string(::getuid()));
        if (usable(cache)) {
            s_localeDir = cache.string();
            return;
        }
        // Built aside and renamed into place, so that test processes running side by side never use a
        // half-written cache.
        const fs::path work
            = temp / ("educa-test-locales-" + std::to_string(::getuid()) + "-" + std::to_string(::getpid()));
        fs::create_directories(work, error);
        if (error)
            return;
        for (const char* charset : {"UTF-8", "ISO-8859-1"}) {
            const std::string command = std::string("localedef -i es_ES -f ") + charset + " '" + work.string()
                + "/es_ES." + charset + "' >/dev/null 2>&1";
            [[maybe_unused]] const int status = std::system(command.c_str());
        }
        fs::rename(work, cache, error);
        if (!error) {
            s_localeDir = cache.string();
        } else if (usable(cache)) {
            s_localeDir = cache.string();
            fs::remove_all(work, error);
        } else {
            s_localeDir = work.string();
            s_removeAtEnd = true;
        }
    }
    static void TearDownTestSuite()
    {
        if (s_removeAtEnd) {
            std::error_code error;
            std::filesystem::remove_all(s_localeDir, error);
        }
        s_localeDir.clear();
        s_removeAtEnd = false;
    }
    void SetUp() override
    {
        if (!s_localeDir.empty())
            m_env.set("LOCPATH", s_localeDir.c_str());
    }

    static bool loadable(const char* name)
    {
        locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            return false;
        freelocale(locale);
        return true;
    }
    static bool bothLoadable() { return loadable("es_ES.UTF-8") && loadable("es_ES.ISO-8859-1"); }
    static bool usable(const std::filesystem::path& dir)
    {
        EnvironmentGuard env;
        env.set("LOCPATH", dir.c_str());
        return bothLoadable();
    }

    EnvironmentGuard m_env;
    static std::string s_localeDir;
    static bool s_removeAtEnd;
};

std::string SpanishLocale::s_localeDir;
bool SpanishLocale::s_removeAtEnd = false;

void expectSpanish(const RegionalSettings& s)
{
    EXPECT_EQ(s.decimalSeparator, ",");
    EXPECT_EQ(s.shortDate, "dd/MM/yy");
    EXPECT_EQ(s.dateSeparator, "/");
    EXPECT_EQ(s.timeSeparator, ":");
    EXPECT_EQ(s.clock24, 1);
    EXPECT_EQ(s.hourLeadingZero, 1);
    ASSERT_TRUE(s.longDayNames);
    ASSERT_TRUE(s.shortDayNames);
    ASSERT_TRUE(s.longMonthNames);
    ASSERT_TRUE(s.shortMonthNames);
    EXPECT_EQ((*s.longDayNames)[0], "domingo");
    EXPECT_EQ((*s.longDayNames)[3], "mi\xC3\xA9rcoles");
    EXPECT_EQ((*s.longDayNames)[6],
        "s\xC3\xA1"
        "bado");
    EXPECT_EQ((*s.shortDayNames)[3], "mi\xC3\xA9");
    EXPECT_EQ((*s.longMonthNames)[0], "enero");
    EXPECT_EQ((*s.longMonthNames)[11], "diciembre");
    EXPECT_EQ((*s.shortMonthNames)[7], "ago");
}

TEST_F(SpanishLocale, utf8LocaleGivesItsSettings)
{
    if (!loadable("es_ES.UTF-8"))
        GTEST_SKIP() << "es_ES.UTF-8 is not installed and localedef could not build it";
    m_env.locale(nullptr, nullptr, nullptr, "es_ES.UTF-8");
    expectSpanish(readSystemRegionalSettings());
}

TEST_F(SpanishLocale, latin1NamesAreConvertedToUtf8)
{
    if (!loadable("es_ES.ISO-8859-1"))
        GTEST_SKIP() << "es_ES.ISO-8859-1 is not installed and localedef could not build it";
    m_env.locale(nullptr, nullptr, nullptr, "es_ES.ISO-8859-1");
    expectSpanish(readSystemRegionalSettings());
}

TEST_F(SpanishLocale, categoryVariablesTakePrecedenceOverLang)
{
    if (!loadable("es_ES.UTF-8"))
        GTEST_SKIP() << "es_ES.UTF-8 is not installed and localedef could not build it";
    m_env.locale(nullptr, "C", "es_ES.UTF-8", "C");
    RegionalSettings s = readSystemRegionalSettings();
    EXPECT_EQ(s.decimalSeparator, ".");
    EXPECT_EQ(s.shortDate, "dd/MM/yy");

    m_env.locale(nullptr, "es_ES.UTF-8", "C", "es_ES.UTF-8");
    s = readSystemRegionalSettings();
    EXPECT_EQ(s.decimalSeparator, ",");
    EXPECT_FALSE(s.shortDate);
}

TEST_F(SpanishLocale, lcAllOverridesEverything)
{
    if (!loadable("es_ES.UTF-8"))
        GTEST_SKIP() << "es_ES.UTF-8 is not installed and localedef could not build it";
    m_env.locale("C", "es_ES.UTF-8", "es_ES.UTF-8", "es_ES.UTF-8");
    expectNoDateTimeOrNames(readSystemRegionalSettings());

    m_env.locale("es_ES.UTF-8", "C", "C", "C");
    expectSpanish(readSystemRegionalSettings());
}

TEST_F(SpanishLocale, emptyVariablesCountAsUnset)
{
    if (!loadable("es_ES.UTF-8"))
        GTEST_SKIP() << "es_ES.UTF-8 is not installed and localedef could not build it";
    m_env.locale("", "", "", "es_ES.UTF-8");
    expectSpanish(readSystemRegionalSettings());
}

#else

// --- Reading the user's locale on Windows ----------------------------------------------------------

// The user's locale as Windows names it ("es-ES").
std::string userLocaleName()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return length > 1 ? std::string(name, name + length - 1) : std::string();
}

// The test entry runs it with LC_ALL=es_ES.UTF-8, which Wine takes for the user's locale: then the
// locale must be es-ES, and a setup that lost it fails. Run otherwise (on Windows), the user's own locale
// decides whether it runs.
TEST(WindowsLocale, spanishUserLocaleGivesItsSettingsInUtf8)
{
    const char* asked = std::getenv("LC_ALL");
    if (asked && std::string(asked).rfind("es_ES", 0) == 0)
        ASSERT_EQ(userLocaleName(), "es-ES") << "LC_ALL=" << asked << " did not give the Spanish user locale";
    else if (userLocaleName() != "es-ES")
        GTEST_SKIP() << "the user's locale is " << userLocaleName() << ", not es-ES, and LC_ALL asks for none";
    const RegionalSettings s = readSystemRegionalSettings();
    EXPECT_EQ(s.decimalSeparator, ",");
    EXPECT_EQ(s.timeSeparator, ":");
    EXPECT_EQ(s.clock24, 1);
    ASSERT_TRUE(s.shortDate);
    EXPECT_NE(s.shortDate->find('y'), std::string::npos) << *s.shortDate;
    ASSERT_TRUE(s.longDayNames);
    ASSERT_TRUE(s.longMonthNames);
    EXPECT_EQ((*s.longDayNames)[0], "domingo");
    EXPECT_EQ((*s.longDayNames)[3], "mi\xC3\xA9rcoles");
    EXPECT_EQ((*s.longMonthNames)[0], "enero");
    // The designators keep every character: the narrow calls would give "?" for U+202F.
    ASSERT_TRUE(s.amDesignator);
    EXPECT_EQ(s.amDesignator->find('?'), std::string::npos) << *s.amDesignator;
    EXPECT_NE(s.amDesignator->find('m'), std::string::npos) << *s.amDesignator;
}

#endif

} // namespace
} // namespace platform
