#include "help/help_manager.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// A viewer that records what it is asked to do.
class FakeViewer : public help::HelpViewer
{
public:
    FakeViewer(std::string name, bool accepts, std::vector<std::string>& log)
        : m_name(std::move(name))
        , m_accepts(accepts)
        , m_log(log)
    {
    }
    std::string viewerName() const override { return m_name; }
    bool acceptsContext(std::int32_t, const std::string& file) override
    {
        m_log.push_back(m_name + " asked " + file);
        return m_accepts;
    }
    void showContext(std::int32_t context, const std::string&) override
    {
        m_log.push_back(m_name + " shows " + std::to_string(context));
    }
    bool hasContents() override { return contents; }
    void showContents() override { m_log.push_back(m_name + " contents"); }
    void takeNumber(std::int32_t n) override { number = n; }

    bool contents = true;
    std::int32_t number = 0;

private:
    std::string m_name;
    bool m_accepts;
    std::vector<std::string>& m_log;
};

class PickByName : public help::HelpSelector
{
public:
    explicit PickByName(std::string wanted)
        : m_wanted(std::move(wanted))
    {
    }
    int chooseContentsViewer(const std::vector<std::string>& names) override
    {
        offered = names;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == m_wanted)
                return static_cast<int>(i);
        }
        return -1;
    }
    std::vector<std::string> offered;

private:
    std::string m_wanted;
};

TEST(HelpManager, numbersViewersInRegistrationOrderAndNeverReusesNumbers)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    auto a = std::make_shared<FakeViewer>("a", false, log);
    auto b = std::make_shared<FakeViewer>("b", false, log);
    auto c = std::make_shared<FakeViewer>("c", false, log);
    EXPECT_EQ(manager->registerViewer(a), manager);
    manager->registerViewer(b);
    manager->withdrawViewer(a->number);
    manager->registerViewer(c);
    EXPECT_EQ(a->number, 1);
    EXPECT_EQ(b->number, 2);
    EXPECT_EQ(c->number, 3);
    ASSERT_EQ(manager->viewers().size(), 2u);
    EXPECT_EQ(manager->viewers()[0], b);
}

TEST(HelpManager, contextGoesToTheFirstViewerThatAccepts)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    manager->registerViewer(std::make_shared<FakeViewer>("declines", false, log));
    manager->registerViewer(std::make_shared<FakeViewer>("first", true, log));
    manager->registerViewer(std::make_shared<FakeViewer>("second", true, log));

    EXPECT_TRUE(manager->showContext(7, "EDUCA.chm"));
    EXPECT_EQ(log, (std::vector<std::string> {"declines asked EDUCA.chm", "first asked EDUCA.chm", "first shows 7"}));
    EXPECT_EQ(manager->currentHelpFile(), "EDUCA.chm");
}

TEST(HelpManager, contextThatNoViewerAcceptsShowsNothing)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    manager->registerViewer(std::make_shared<FakeViewer>("a", false, log));
    EXPECT_FALSE(manager->showContext(1, "EDUCA.chm"));
    EXPECT_EQ(log, (std::vector<std::string> {"a asked EDUCA.chm"}));
}

TEST(HelpManager, emptyHelpFileKeepsTheCurrentOne)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    manager->showContext(1, "EDUCA.chm");
    manager->showContext(1, "");
    manager->showTableOfContents("");
    EXPECT_EQ(manager->currentHelpFile(), "EDUCA.chm");
    manager->showTableOfContents("OTRA.chm");
    EXPECT_EQ(manager->currentHelpFile(), "OTRA.chm");
}

TEST(HelpManager, selectorChoosesAmongViewersWithContentsSortedWithoutCase)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    auto noContents = std::make_shared<FakeViewer>("Aaa", false, log);
    noContents->contents = false;
    manager->registerViewer(std::make_shared<FakeViewer>("zeta", false, log));
    manager->registerViewer(noContents);
    manager->registerViewer(std::make_shared<FakeViewer>("", false, log));
    manager->registerViewer(std::make_shared<FakeViewer>("Beta", false, log));
    auto selector = std::make_shared<PickByName>("zeta");
    manager->setSelector(selector);

    EXPECT_TRUE(manager->showTableOfContents("EDUCA.chm"));
    EXPECT_EQ(selector->offered, (std::vector<std::string> {"", "Beta", "zeta"}));
    EXPECT_EQ(log, (std::vector<std::string> {"zeta contents"}));
}

TEST(HelpManager, selectorThatChoosesNoneShowsNothing)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    manager->registerViewer(std::make_shared<FakeViewer>("a", false, log));
    manager->setSelector(std::make_shared<PickByName>("missing"));
    EXPECT_FALSE(manager->showTableOfContents("EDUCA.chm"));
    EXPECT_TRUE(log.empty());
}

TEST(HelpManager, withoutSelectorTheFirstNameShowsContents)
{
    std::vector<std::string> log;
    auto manager = std::make_shared<help::HelpManager>();
    manager->registerViewer(std::make_shared<FakeViewer>("b", false, log));
    manager->registerViewer(std::make_shared<FakeViewer>("A", false, log));
    EXPECT_TRUE(manager->showTableOfContents("EDUCA.chm"));
    EXPECT_EQ(log, (std::vector<std::string> {"A contents"}));
}

} // namespace
