#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>
#include <string>

#include "platform/Controls.h"
#include "platform/GbkText.h"

namespace
{
// A window system for one test, gone again at its end.
struct Application
{
    int argc = 1;
    char szName[24] = "lexivant2_window_tests";
    char* argv[2] = {szName, nullptr};
    QApplication application{argc, argv};
};
}  // namespace

TEST(Controls, ResultBoxesShowOneEntryALineAndReadBackTheBytesWritten)
{
    Application application;
    struct Case { std::string gbk; QString shown; };
    const Case cases[] = {
        {"<\xBE\xAB> acid \xCB\xE1\n\r\n<\xC0\xA9> base\n\r\n", QStringLiteral("<精> acid 酸\n<扩> base")},
        {"no line feed\r\nnext\r\n", QStringLiteral("no line feed\nnext")},
        {"lone\rcarriage return\n\r\n", QStringLiteral("lone\u240Dcarriage return")},
        {"bad \x81\x20 byte and \xFF\n\r\n", QStringLiteral("bad \uFFFD  byte and \uFFFD")},
        {std::string("NUL \0 too\n\r\n", 12), QStringLiteral("NUL \uFFFD too")},  // never on screen
        {"", QString()},
    };
    QPlainTextEdit box;
    for (const auto& c : cases)
    {
        SetControlText(&box, c.gbk);
        EXPECT_EQ(box.toPlainText(), c.shown) << c.gbk;
        EXPECT_EQ(GetControlText(&box), c.gbk);  // unchanged through the display
    }
}

TEST(Controls, TypedTextReadsAsGbkAndWhatGbkLacksMatchesNothing)
{
    Application application;
    struct Case { QString typed; std::string gbk; };
    const Case cases[] = {
        {QStringLiteral("硫酸 acid"), "\xC1\xF2\xCB\xE1 acid"},
        {QStringLiteral("a\U0001F600b"), std::string("a\0b", 3)},  // an emoji GBK lacks
        {QStringLiteral("\u20AC"), "\x80"},                          // the euro sign is in GBK
    };
    QLineEdit edit;
    for (const auto& c : cases)
    {
        edit.setText(c.typed);
        EXPECT_EQ(GetControlText(&edit), c.gbk);
        EXPECT_EQ(UnicodeToGbk(c.typed), c.gbk);
    }
}
