#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "TestSupport.h"

namespace
{
const std::string kGeneral = "|acid|\xCB\xE1\nsulfuric acid|\xC1\xF2\xCB\xE1\nbase|\xBC\xEE\n";
const std::string kTechnical = "sulfuric acid|\xC1\xF2\xCB\xE1\nacetic acid|\xD2\xD2\xCB\xE1\n";

struct Report
{
    int nExit = -1;
    std::map<std::string, std::string> facts;  // the last value of each
    std::vector<std::string> statuses;         // every status text, in order
    std::string Fact(const std::string& name) const
    {
        const auto it = facts.find(name);
        return it == facts.end() ? "<none>" : it->second;
    }
};

std::string ThisProgram()
{
    char szPath[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", szPath, sizeof szPath - 1);
    return n > 0 ? std::string(szPath, static_cast<std::size_t>(n)) : std::string();
}

Report RunWindow(const TempDir& dir, const std::vector<std::string>& args)
{
    std::vector<std::string> all{"--window-scenario"};
    all.insert(all.end(), args.begin(), args.end());
    const RunResult run = RunProgram(ThisProgram(), all, dir.Path());
    Report report;
    report.nExit = run.nExit;
    for (std::size_t pos = 0, end; (end = run.out.find('\n', pos)) != std::string::npos; pos = end + 1)
    {
        const std::string line = run.out.substr(pos, end - pos);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string name = line.substr(0, tab), value = line.substr(tab + 1);
        report.facts[name] = value;
        if (name == "status")
            report.statuses.push_back(value);
    }
    return report;
}

void WriteVocabularies(const TempDir& dir, bool bGeneral, bool bTechnical)
{
    if (bGeneral)
        WriteFile(dir / "0.voca", Scramble(kGeneral, kGeneralKey));
    if (bTechnical)
        WriteFile(dir / "17.voca", Scramble(kTechnical, kTechnicalKey));
}

bool PlainFilesLeft(const TempDir& dir)
{
    return FileExists(dir / "Temp_Test_Quillon0.pyq") || FileExists(dir / "Temp_Test_Quillon2.pyq");
}
}  // namespace

TEST(Window, FindGateAndStatusLineForEachMixOfFiles)
{
    // The loaders run side by side; whatever the order, a failure stays on the status line:
    // a text that only says a load began or ended does not replace it.
    using Texts = std::vector<std::string>;
    struct Case { bool bGeneral, bTechnical; Texts lastStatus; const char* szFind; };
    const Case cases[] = {
        {true, true, {"词汇读取完成!"}, "1"},
        {false, true, {"文件0.voca不存在!"}, "1"},
        {true, false, {"词汇文件不存在!"}, "1"},
        {false, false, {"文件0.voca不存在!", "词汇文件不存在!"}, "0"},  // either one last
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "general " << c.bGeneral << ", technical " << c.bTechnical);
        TempDir dir;
        WriteVocabularies(dir, c.bGeneral, c.bTechnical);
        const Report report = RunWindow(dir, {"load"});
        ASSERT_EQ(report.nExit, 0);
        EXPECT_EQ(report.Fact("find-at-start"), "0");
        EXPECT_EQ(report.Fact("find-after-load"), c.szFind);
        ASSERT_FALSE(report.statuses.empty());
        EXPECT_TRUE(std::count(c.lastStatus.begin(), c.lastStatus.end(), report.statuses.back()))
            << report.statuses.back();
        EXPECT_EQ(report.Fact("about-item"), "1");
    }
}

TEST(Window, TypedTextGoesToTheQueryBoxAndEnterSearchesIt)
{
    const std::string generalBox = "<精>  acid 酸\\n<扩> sulfuric acid 硫酸";
    const std::string technicalBox = "sulfuric acid|硫酸\\nacetic acid|乙酸";
    // type and paste: the loads end before the window is activated, so Find is enabled
    // when the focus is first given.
    struct Case { const char* szMode; bool bFiles; std::string input, box, general, technical; };
    const Case cases[] = {
        {"type", true, "  acid ", "acid", generalBox, technicalBox},
        {"enter-in-results", true, "  acid ", "acid", generalBox, technicalBox},
        // Find still disabled: Enter starts nothing, the query is not even trimmed.
        {"type", false, "  acid ", "  acid ", "", ""},
        // Characters GBK lacks match nothing, and the box keeps them as typed.
        {"paste", true, "H\u2082SO\u2084 ", "H\u2082SO\u2084", "", ""},
        {"paste", true, "  acid \U0001F600 ", "acid \U0001F600", "", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szMode + (" " + c.input));
        TempDir dir;
        WriteVocabularies(dir, c.bFiles, c.bFiles);
        const Report report = RunWindow(dir, {c.szMode, c.input});
        ASSERT_EQ(report.nExit, 0);
        if (c.szMode != std::string("enter-in-results"))
        {
            EXPECT_EQ(report.Fact("find-before-activation"), c.bFiles ? "1" : "0");
            EXPECT_EQ(report.Fact("clipboard"), c.box);  // all of the box, copied
        }
        EXPECT_EQ(report.Fact("visible"), "1");
        EXPECT_EQ(report.Fact("query"), c.box);
        EXPECT_EQ(report.Fact("general"), c.general);
        EXPECT_EQ(report.Fact("technical"), c.technical);
        EXPECT_EQ(report.Fact("find-at-end"), c.bFiles ? "1" : "0");
        ASSERT_FALSE(report.statuses.empty());
        const std::string searching = "所有词汇已经读取完毕,查找中...";
        EXPECT_EQ(report.statuses.back() == searching, c.bFiles);
    }
}

TEST(Window, TheEditBoxMenusEndWithTheWindowMenuAndItsAboutBox)
{
    TempDir dir;
    WriteVocabularies(dir, true, true);
    EXPECT_EQ(RunWindow(dir, {"about-empty"}).Fact("about-item"), "0");

    // Right-click a box, About from its menu. On a Chinese desktop the box's own items
    // are in Chinese too.
    struct Case { const char* szBox; const char* szOwnItem; };
    for (const Case& c : {Case{"query", "粘贴(&P)"}, Case{"general", "复制(&C)"}})
    {
        SCOPED_TRACE(c.szBox);
        const Report report = RunWindow(dir, {"about", c.szBox, "zh_CN.UTF-8"});
        const std::string menu = report.Fact("edit-menu");
        EXPECT_NE(menu.find(c.szOwnItem), std::string::npos) << menu;
        EXPECT_TRUE(menu.ends_with("|最小化(&N)|关闭(&C)\tAlt+F4||关于 lexivant2(&A)...")) << menu;
        EXPECT_EQ(report.Fact("about-caption"), "关于Sorellan");
        EXPECT_EQ(report.Fact("about-icon"), "");  // the icon is there
        EXPECT_NE(report.Fact("about-text").find("CC BY-SA 4.0"), std::string::npos);  // credits the data
        EXPECT_EQ(report.Fact("visible"), "1");  // the lookup window stays
    }
}

TEST(Window, ClosingDuringALoadEndsCleanlyAtAnyPoint)
{
    // Large enough that a load is still running for the early closes.
    TempDir dir;
    WriteNumberedVocabularies(dir.Path(), 120000);
    for (const char* szWhen : {"close:0", "close:1", "close:3", "close:10", "close:30", "close:100", "close:1000"})
    {
        SCOPED_TRACE(szWhen);
        const Report report = RunWindow(dir, {szWhen});
        EXPECT_EQ(report.nExit, 0);
        EXPECT_EQ(report.Fact("closed"), "1");
        EXPECT_EQ(report.Fact("destroyed"), "1");
        EXPECT_FALSE(PlainFilesLeft(dir));
    }
    // Killed rather than closed: the same, and it ends by the signal as a shell expects.
    bool bDuringLoad = false;
    const RunResult run = SignalDuringLoad(ThisProgram(), {"--window-scenario", "close:20000"}, dir.Path(), SIGTERM, &bDuringLoad);
    ASSERT_TRUE(bDuringLoad);
    EXPECT_EQ(run.nSignal, SIGTERM);
    EXPECT_FALSE(PlainFilesLeft(dir));
}
