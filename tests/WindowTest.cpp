// The window tests. The text conversions of the controls run in this process; the lookup
// window runs in a child process of this same program (the vocabulary tables are global and
// fill only once), driven as a person would, and prints what it saw, one fact a line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "TestSupport.h"
#include "lexivant2.h"
#include "lexivant2Dlg.h"
#include "platform/GbkText.h"
#include "platform/QueryHandOver.h"
#include "platform/Resources.h"
#include "platform/WinApp.h"
#include "res/resource.h"
#include "search/SearchTexts.h"
#include "vocabulary/StopSignals.h"

using namespace std::string_literals;

namespace
{
// "name<TAB>value", line feeds in the value as "\n".
void Print(const char* szName, QString value)
{
    std::printf("%s\t%s\n", szName, value.replace(QLatin1Char('\n'), QLatin1String("\\n")).toUtf8().constData());
}

// The child of "start": the program's own start on the arguments behind it, watched until
// a request has run (the status line shows a search or a word), then closed.
int RunStartScenario(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString words[] = {GbkToUnicode(kszSearching), LoadStringResource(IDS_SELECTION_EMPTY), LoadStringResource(IDS_CLIPBOARD_EMPTY)};
    CLookupDlg* pShown = nullptr;
    QStringList searched;  // each query searched, marked if a load still ran
    bool bLoadsEnded = false;
    QElapsedTimer timer;
    timer.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* pDlg = dynamic_cast<CLookupDlg*>(QApplication::activeModalWidget());
        if (pDlg && !std::exchange(pShown, pDlg))
            QObject::connect(static_cast<QPlainTextEdit*>(pDlg->GetDlgItem(IDC_TECH_RESULT)), &QPlainTextEdit::textChanged, [&searched, pDlg] {
                searched << static_cast<QLineEdit*>(pDlg->GetDlgItem(IDC_QUERY))->text() + (pDlg->LoadersRunning() ? "(loading)" : "");
            });
        const QString status = pDlg ? static_cast<QLineEdit*>(pDlg->GetDlgItem(IDC_STATUS))->text() : QString();
        if (pDlg && !pDlg->LoadersRunning() && !std::exchange(bLoadsEnded, true))
            QFile(QStringLiteral("loads-ended")).open(QIODevice::WriteOnly);  // for a test that must not stop a load
        const bool bWaiting = pDlg && (pDlg->LoadersRunning() || std::ranges::find(words, status) == std::end(words));
        if (!pDlg || (bWaiting && timer.elapsed() < 60000)) return;  // what it showed by then, else
        watch.stop();
        Print("status", status);
        Print("searched", searched.join(QLatin1Char('|')));
        Print("query", static_cast<QLineEdit*>(pDlg->GetDlgItem(IDC_QUERY))->text());
        Print("general", static_cast<QPlainTextEdit*>(pDlg->GetDlgItem(IDC_GENERAL_RESULT))->toPlainText());
        Print("technical", static_cast<QPlainTextEdit*>(pDlg->GetDlgItem(IDC_TECH_RESULT))->toPlainText());
        pDlg->reject();
    });
    watch.start(20);
    QStringList args;
    for (int i = 3; i < argc; ++i) args << QString::fromUtf8(argv[i]);
    const int nExit = RunLookupWindow(args);
    Print("window", pShown ? "1" : "0");
    return nExit;
}

// The child: --window-scenario MODE [QUERY [LOCALE]].
int RunWindowScenario(int argc, char** argv)
{
    if (std::string_view(argv[2]) == "start") return RunStartScenario(argc, argv);
    ::unsetenv("LANGUAGE");
    for (const char* szVariable : {"LANG", "LC_ALL"})  // the user's locale, as a desktop session sets it
        if (argc > 4) ::setenv(szVariable, argv[4], 1);
    QApplication application(argc, argv);
    AfxLoadQtTranslations();
    const std::string mode = argv[2];
    const QString query = argc > 3 ? QString::fromUtf8(argv[3]) : QString();
    if (mode == "about-empty") SetStringResource(IDS_ABOUTBOX, QString());
    auto pDlg = std::make_unique<CLookupDlg>();
    CLookupDlg& dlg = *pDlg;
    const auto printFind = [](const char* szWhen) { Print(szWhen, g_btnFind.IsWindowEnabled() ? "1" : "0"); };
    QObject::connect(&dlg, &QDialog::finished, [] { Print("closed", "1"); });
    dlg.CreateAndShow();
    printFind("find-at-start");
    QObject::connect(static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_STATUS)), &QLineEdit::textChanged,
                     [](const QString& text) { Print("status", text); });
    QElapsedTimer timer;
    timer.start();
    if (mode.starts_with("close:"))
    {
        // Closed while the loaders may still run, after this many milliseconds of events.
        while (timer.elapsed() < std::stoi(mode.substr(6))) QApplication::processEvents(QEventLoop::AllEvents, 1);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        pDlg.reset();
        Print("destroyed", "1");
        return 0;
    }
    // The loads end before the window is activated: only the loaders' reports run until then,
    // the activation waits in the window system's queue. Find is enabled when the focus is
    // first given.
    while (dlg.LoadersRunning() && timer.elapsed() < 30000) QCoreApplication::sendPostedEvents(), QThread::msleep(1);
    QCoreApplication::sendPostedEvents();
    printFind("find-after-load");
    QApplication::processEvents();
    QWidget* pQuery = dlg.GetDlgItem(IDC_QUERY);
    QWindow* pWindow = dlg.windowHandle();
    if (mode == "type" || mode == "paste")
    {
        // Keys go to the window, which hands them to whatever has the focus.
        (void)QTest::qWaitForWindowActive(pWindow);
        for (const QChar ch : mode == "type" ? query : QString()) QTest::keyClick(pWindow, ch.toLatin1());
        if (mode == "paste")
            QGuiApplication::clipboard()->setText(query), QTest::keySequence(pWindow, QKeySequence::Paste);
        QTest::keyClick(pWindow, Qt::Key_Return);
        QApplication::processEvents();
        for (const auto key : {QKeySequence::SelectAll, QKeySequence::Copy}) QTest::keySequence(pWindow, key);
        Print("clipboard", QGuiApplication::clipboard()->text());
    }
    else if (mode == "enter-in-results")
    {
        static_cast<QLineEdit*>(pQuery)->setText(query);
        dlg.GetDlgItem(IDC_TECH_RESULT)->setFocus();
        QTest::keyClick(dlg.GetDlgItem(IDC_TECH_RESULT), Qt::Key_Return);
    }
    else if (mode == "about")
    {
        // Right-click on a box (QUERY: query or general): its own menu, About from it; the
        // About box is looked at from inside its own loop.
        auto* pPoll = new QTimer(&dlg);
        QObject::connect(pPoll, &QTimer::timeout, [pPoll] {
            if (QWidget* pBox = QApplication::activeModalWidget())
            {
                Print("about-caption", pBox->windowTitle());
                for (QLabel* pLabel : pBox->findChildren<QLabel*>())
                    Print(pLabel->pixmap().isNull() ? "about-text" : "about-icon", pLabel->text());
                pPoll->stop();
                QTest::keyClick(pBox, Qt::Key_Escape);
            }
            else if (auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            {
                QStringList items;
                QAction* pAbout = nullptr;
                for (QAction* pAction : pMenu->actions())
                    items << pAction->text(), pAbout = pAction->data().toUInt() == IDM_ABOUTBOX ? pAction : pAbout;
                Print("edit-menu", items.join(QLatin1Char('|')));
                // Clicked once this returns: the About box's loop must not run inside this timer.
                QTimer::singleShot(0, pMenu, [pMenu, pAbout] {
                    pAbout ? QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pAbout).center())
                           : (void)pMenu->close();
                });
            }
        });
        pPoll->start(20);
        auto* pGeneral = static_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_GENERAL_RESULT));
        QWidget* pBox = query == QLatin1String("general") ? pGeneral->viewport() : pQuery;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), pBox->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(pBox, &event);
    }
    QApplication::processEvents();
    Print("visible", dlg.isVisible() ? "1" : "0");
    printFind("find-at-end");
    Print("query", static_cast<QLineEdit*>(pQuery)->text());
    Print("general", static_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_GENERAL_RESULT))->toPlainText());
    Print("technical", static_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_TECH_RESULT))->toPlainText());
    const auto isAbout = [](QAction* pAction) { return pAction->data().toUInt() == IDM_ABOUTBOX; };
    Print("about-item", std::ranges::any_of(dlg.GetSystemMenu()->GetMenu()->actions(), isAbout) ? "1" : "0");
    return 0;
}

void WriteVocabularies(const TempDir& dir, bool bGeneral = true, bool bTechnical = true)
{
    if (bGeneral)
        WriteFile(dir / "0.voca", Scramble("|acid|\xCB\xE1\nsulfuric acid|\xC1\xF2\xCB\xE1\nbase|\xBC\xEE\n", kGeneralKey));
    if (bTechnical)
        WriteFile(dir / "17.voca", Scramble("sulfuric acid|\xC1\xF2\xCB\xE1\nacetic acid|\xD2\xD2\xCB\xE1\n", kTechnicalKey));
}

const std::string kGeneralBox = "<精>  acid 酸\\n<扩> sulfuric acid 硫酸", kTechnicalBox = "sulfuric acid|硫酸\\nacetic acid|乙酸";
const std::string kSearching = "所有词汇已经读取完毕,查找中...";

// A value starting with "*" need only be contained.
void ExpectFacts(const std::map<std::string, std::string>& facts, const std::vector<std::pair<std::string, std::string>>& expected)
{
    const auto matches = [](const auto& w, const auto& s) { return w[0] == '*' ? s.find(&w[1]) != s.npos : s == w; };
    EXPECT_EQ(facts.at("exit"), "0");
    for (const auto& [name, value] : expected)
        EXPECT_PRED2(matches, value, facts.contains(name) ? facts.at(name) : "<none>") << name;
}

const std::string kThisProgram = std::filesystem::read_symlink("/proc/self/exe").string();

// The facts a scenario printed, the last value of each.
std::map<std::string, std::string> RunWindow(const TempDir& dir, std::vector<std::string> args,
                                             const std::function<void(pid_t)>& whileRunning = {})
{
    args.insert(args.begin(), "--window-scenario");
    const RunResult run = RunProgram(kThisProgram, args, dir.Path(), {}, {}, whileRunning);
    std::map<std::string, std::string> facts{{"exit", std::to_string(run.nExit)}};
    for (std::size_t pos = 0, end; (end = run.out.find('\n', pos)) != std::string::npos; pos = end + 1)
        if (const std::size_t tab = run.out.find('\t', pos); tab < end)
            facts[run.out.substr(pos, tab - pos)] = run.out.substr(tab + 1, end - tab - 1);
    return facts;
}

}  // namespace

TEST(Controls, ShowGbkAsTextAndReadBackTheBytesWrittenOrWhatWasTyped)
{
    int argc = 1;
    char* argv[] = {const_cast<char*>("lexivant2_window_tests"), nullptr};
    QApplication application(argc, argv);
    // Result boxes: one entry a line, a lone CR visible, what does not decode (NUL too) as
    // U+FFFD; reading back gives the very bytes written.
    const struct { std::string gbk; QString shown; } written[] = {
        {"<\xBE\xAB> acid \xCB\xE1\n\r\n<\xC0\xA9> base\n\r\n", QStringLiteral("<精> acid 酸\n<扩> base")},
        {"no line feed\r\nnext\r\n", QStringLiteral("no line feed\nnext")},
        {"\xB6\xAB \x96\x7C east\r\n", QStringLiteral("东 東 east")},  // 東's trail byte is "|"
        {"lone\rcarriage return\n\r\n", QStringLiteral("lone\u240Dcarriage return")},
        {"bad \x81\x20 byte, \xFF and NUL \0\n\r\n"s, QStringLiteral("bad \uFFFD  byte, \uFFFD and NUL \uFFFD")},
        {"", QString()},
    };
    QPlainTextEdit box;
    for (const auto& c : written)
        EXPECT_EQ((SetControlText(&box, c.gbk), std::pair(box.toPlainText(), GetControlText(&box))),
                  std::pair(c.shown, c.gbk));
    // Typed text reads as GBK; a character GBK lacks is a NUL, which matches nothing.
    const struct { QString typed; std::string gbk; } typed[] = {
        {QStringLiteral("硫酸 acid"), "\xC1\xF2\xCB\xE1 acid"},
        {QStringLiteral("a\U0001F600b"), "a\0b"s},
        {QStringLiteral("\u20AC"), "\x80"},  // the euro sign is in GBK
    };
    QLineEdit edit;
    for (const auto& c : typed) EXPECT_EQ((edit.setText(c.typed), GetControlText(&edit)), c.gbk);
}

TEST(Window, EachScenarioShowsWhatAPersonWouldSee)
{
    // Facts checked: "find-*" whether Find was enabled then; "status" the last status text
    // (a failure stays: a text that only says a load began or ended does not replace it);
    // the boxes' texts; "window" whether a start showed a window.
    const std::string kGeneralGone = "文件0.voca不存在!", kTechnicalGone = "词汇文件不存在!";
    const std::string kWindowMenu = "*|最小化(&N)|关闭(&C)\tAlt+F4||关于 lexivant2(&A)...";
    using Facts = std::vector<std::pair<std::string, std::string>>;
    const struct { bool bGeneral, bTechnical; std::vector<std::string> args; Facts facts; } cases[] = {
        {true, true, {"load"}, {{"find-at-start", "0"}, {"find-after-load", "1"}, {"status", "词汇读取完成!"}, {"about-item", "1"}}},
        {false, true, {"load"}, {{"find-after-load", "1"}, {"status", kGeneralGone}}},
        {true, false, {"load"}, {{"find-after-load", "1"}, {"status", kTechnicalGone}}},
        {false, false, {"load"}, {{"find-after-load", "0"}, {"status", "*不存在!"}}},
        // Typed or pasted into the query box, Enter searches it and trims it back into the box;
        // characters GBK lacks match nothing and the box keeps them. Enter in a result box
        // searches too.
        {true, true, {"type", "  acid "}, {{"query", "acid"}, {"clipboard", "acid"}, {"general", kGeneralBox},
                                           {"technical", kTechnicalBox}, {"find-at-end", "1"}, {"status", kSearching}}},
        {true, true, {"paste", "H\u2082SO\u2084 "}, {{"query", "H\u2082SO\u2084"}, {"general", ""}, {"technical", ""}, {"status", kSearching}}},
        {true, true, {"paste", "  acid \U0001F600 "}, {{"clipboard", "acid \U0001F600"}, {"general", ""}, {"find-at-end", "1"}}},
        {true, true, {"enter-in-results", "  acid "}, {{"query", "acid"}, {"general", kGeneralBox}, {"technical", kTechnicalBox}}},
        // Find still disabled: Enter starts nothing, the query is not even trimmed.
        {false, false, {"type", "  acid "}, {{"query", "  acid "}, {"general", ""}, {"find-at-end", "0"}, {"status", "*不存在!"}}},
        // The edit boxes' own menus (in Chinese on a Chinese desktop) end with the window
        // menu and its About box; the lookup window stays.
        {true, true, {"about", "query", "zh_CN.UTF-8"}, {{"edit-menu", "*粘贴(&P)"}, {"edit-menu", kWindowMenu},
             {"about-caption", "关于Sorellan"}, {"about-icon", ""}, {"about-text", "*CC BY-SA 4.0"}, {"visible", "1"}}},
        {true, true, {"about", "general", "zh_CN.UTF-8"}, {{"edit-menu", "*复制(&C)"}, {"edit-menu", kWindowMenu}, {"about-caption", "关于Sorellan"}}},
        {true, true, {"about-empty"}, {{"about-item", "0"}}},
        // A query on the command line: in the box at once, searched once both loads have ended.
        {true, true, {"start", " ", "acid", "\n"}, {{"query", "acid"}, {"general", kGeneralBox}, {"technical", kTechnicalBox},
                                                   {"status", kSearching}, {"searched", "acid"}, {"window", "1"}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.args) + (c.bGeneral ? " general" : "") + (c.bTechnical ? " technical" : ""));
        const TempDir dir;
        WriteVocabularies(dir, c.bGeneral, c.bTechnical);
        ExpectFacts(RunWindow(dir, c.args), c.facts);
    }
}

TEST(Window, ClosingDuringALoadEndsCleanlyAtAnyPoint)
{
    const TempDir dir;
    const auto plainFilesLeft = [&dir] { return ListDirectory(dir.Path()).size() != 2; };  // beside 0.voca and 17.voca
    WriteNumberedVocabularies(dir.Path(), 120000);  // large enough that the early closes come during the load
    for (const char* szWhen : {"close:0", "close:3", "close:30", "close:1000"})
    {
        auto facts = RunWindow(dir, {szWhen});
        EXPECT_EQ(facts["exit"] + facts["closed"] + facts["destroyed"] + (plainFilesLeft() ? " plain file left" : ""), "011")
            << szWhen;
    }
    // Killed rather than closed: the same, and it ends by the signal as a shell expects.
    bool bDuringLoad = false;
    const RunResult run = SignalDuringLoad(kThisProgram, {"--window-scenario", "close:20000"}, dir.Path(), SIGTERM, &bDuringLoad);
    EXPECT_EQ(std::tuple(bDuringLoad, run.nSignal, plainFilesLeft()), std::tuple(true, SIGTERM, false));
}

// A socket at the path, connected (or only bound, left as a killed window leaves it); -1 if not.
int UnixSocket(const std::string& path, bool bConnect = true)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const auto* pAddress = reinterpret_cast<const sockaddr*>(&address);
    if ((bConnect ? connect(fd, pAddress, sizeof address) : bind(fd, pAddress, sizeof address)) == 0 && bConnect) return fd;
    return close(fd), -1;
}

TEST(Window, AStartWithAQueryBesideARunningWindowHandsItOver)
{
    const TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    // Sent to the first window before the second starts; none may disturb it. Its socket may
    // have been left by a killed window.
    // bHeld: another copy holds the technical plain file until the query has been handed
    // over, so that the query comes during that load and must wait for it. cFault: the
    // first window hangs ('h'), or the runtime directory is gone ('r'): the second opens a
    // window of its own.
    const struct { bool bStale, bHeld; std::vector<std::string> sent; char cFault = 0; } cases[] = {
        {false, true, {}},
        {true, false, {"query " + std::string(kMaxHandOverBytes, 'x') + "\n", "bogus\n", "query a\x01" "b\n", "query acid\nquery base\n"}},
        {false, false, {}, 'h'},
        {false, false, {}, 'r'},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(1, c.cFault) + (c.bStale ? "stale" : ""));
        const TempDir dir;
        WriteVocabularies(dir);
        const int held = c.bHeld ? open((dir / "Temp_Test_Quillon2.pyq").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600) : -1;
        ASSERT_TRUE(!c.bHeld || flock(held, LOCK_EX) == 0);
        const std::string path = HandOverSocketPath(QString::fromStdString(dir.Path())).toStdString();
        ASSERT_FALSE(path.empty());
        if (c.bStale) UnixSocket(path, false);
        std::map<std::string, std::string> second;
        const auto first = RunWindow(dir, {"start"}, [&](pid_t pid) {
            int fd = -1;
            for (int nTries = 0; nTries < 3000 && (fd = UnixSocket(path)) < 0; ++nTries) usleep(10000);  // until it listens
            close(fd);
            for (const std::string& message : c.sent)  // each dropped: the window answers nothing
            {
                char answer[8] = {};
                fd = UnixSocket(path);
                (void)send(fd, message.data(), message.size(), MSG_NOSIGNAL);
                EXPECT_LE(recv(fd, answer, sizeof answer, 0), 0) << answer, close(fd);
            }
            // A window stopped during its load would hold its plain files' locks.
            for (int nTries = 0; c.cFault == 'h' && nTries < 3000 && !std::filesystem::exists(dir / "loads-ended"); ++nTries) usleep(10000);
            if (c.cFault) c.cFault == 'h' ? (void)kill(pid, SIGSTOP) : (void)::unsetenv("XDG_RUNTIME_DIR");
            second = RunWindow(dir, {"start", "sulfuric"});
            if (held >= 0) unlink((dir / "Temp_Test_Quillon2.pyq").c_str()), close(held);  // as that copy would
            if (c.cFault) kill(pid, SIGKILL), ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        });
        const std::vector<std::pair<std::string, std::string>> searched{{"searched", "sulfuric"}, {"status", kSearching}};
        ExpectFacts(c.cFault ? second : first, searched);
        ExpectFacts(second, {{"window", c.cFault ? "1" : "0"}});
    }
}

// Run under xvfb-run (tests/CMakeLists.txt): xclip sets the selection, the program reads it.
TEST(Window, LooksUpTheSelectionOrTheClipboardOnAnXDisplay)
{
    if (!std::getenv("DISPLAY") || std::system("command -v xclip >/dev/null") != 0) GTEST_SKIP() << "no X display or no xclip";
    const TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    ::setenv("LEXIVANT2_TEST_QPA", "xcb", 1);
    std::string many;
    for (int i = 0; i < 400000; ++i) many += "acid ";
    std::string cut = "\uFFFD";
    for (int i = 0; i < 99; ++i) cut += i ? " acid" : "acid";
    const struct { const char* szKind; std::string text; const char* szOption; std::vector<std::pair<std::string, std::string>> facts; } cases[] = {
        {"primary", "\n \t\n  sulfuric acid \nbase", "--selection", {{"query", "sulfuric acid"}, {"technical", "sulfuric acid|硫酸"}}},
        {"clipboard", "\x01\xFF" + many, "--clipboard", {{"query", cut}, {"general", ""}, {"status", kSearching}}},
        {"primary", "", "--selection", {{"query", ""}, {"status", "没有选中的文字!"}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szOption + c.text.substr(0, 20));
        const TempDir dir;
        WriteVocabularies(dir);
        RunProgram("/bin/sh", {"-c", "xclip -selection "s + c.szKind + " >/dev/null 2>&1"}, {}, c.text);
        ExpectFacts(RunWindow(dir, {"start", c.szOption}), c.facts);
    }
}

int main(int argc, char** argv)
{
    // No display needed, here or in the children, but where a test asks for one.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariable("LEXIVANT2_TEST_QPA", QStringLiteral("offscreen")).toUtf8());
    if (argc > 2 && std::string_view(argv[1]) == "--window-scenario")
        return StopLoadersOnSignals(), RunWindowScenario(argc, argv);  // on signals as the program's main does
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
