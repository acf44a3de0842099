#include "lexivant2.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "desktop/SelectionText.h"
#include "lexivant2Dlg.h"
#include "platform/DesktopSelection.h"
#include "platform/GbkText.h"
#include "platform/QueryHandOver.h"
#include "platform/Resources.h"
#include "res/resource.h"

CLookupApp theApp;

namespace
{
const char kUsage[] = "usage: sorellan [--selection | --clipboard | [--] QUERY...]\n";

// What the command line asks for: nullopt for a window as ever, or a request for one.
struct StartArguments
{
    std::optional<LookupRequest> request;
    bool bHelp = false;
    QString error;
};

StartArguments ParseStartArguments(const QStringList& args)
{
    StartArguments start;
    QStringList words;
    std::optional<SelectionKind> kind;
    bool bOptionsEnded = false;
    for (const QString& arg : args)
    {
        if (bOptionsEnded || arg.size() < 2 || !arg.startsWith(QLatin1Char('-')))
            words << arg;
        else if (arg == QLatin1String("--"))
            bOptionsEnded = true;
        else if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
            start.bHelp = true;
        else if (arg == QLatin1String("--selection") || arg == QLatin1String("--clipboard"))
        {
            if (kind)
                start.error = QStringLiteral("give one of --selection and --clipboard");
            kind = arg == QLatin1String("--selection") ? SelectionKind::kPrimary : SelectionKind::kClipboard;
        }
        else
            start.error = QStringLiteral("unknown option '%1'").arg(arg);
    }
    if (kind && !words.isEmpty())
        start.error = QStringLiteral("a query or --selection/--clipboard, not both");
    if (!start.error.isEmpty() || start.bHelp)
        return start;
    if (kind)
    {
        const std::string text = QueryFromDesktopText(ReadDesktopSelection(*kind).toUtf8().toStdString(), kSelectionQueryBytes);
        start.request = text.empty() ? LookupRequest{{}, *kind == SelectionKind::kPrimary ? IDS_SELECTION_EMPTY : IDS_CLIPBOARD_EMPTY}
                                     : LookupRequest{QString::fromStdString(text), 0};
    }
    else if (const std::string text = QueryFromDesktopText(words.join(QLatin1Char(' ')).toStdString()); !text.empty())
        start.request = LookupRequest{QString::fromStdString(text), 0};  // a blank query is none
    return start;
}

// Once both loads have ended, so that both lists are complete: Find on the query in the box,
// or the word on the status line. Where nothing loaded, the status line keeps saying why.
void RunRequest(CLookupDlg& dlg, const LookupRequest& request)
{
    if (!g_btnFind.IsWindowEnabled())
        return;
    if (request.nStatusWord)
        dlg.m_ctlStatus.SetWindowText(UnicodeToGbk(LoadStringResource(request.nStatusWord)));
    else
        dlg.OnFind();
}

// As far as the desktop lets a program raise itself.
void BringToFront(QWidget& window)
{
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
}
}  // namespace

int RunLookupWindow(const QStringList& args)
{
    const StartArguments start = ParseStartArguments(args);
    if (start.bHelp || !start.error.isEmpty())
    {
        if (!start.error.isEmpty())
            std::fprintf(stderr, "sorellan: %s\n", start.error.toLocal8Bit().constData());
        std::fputs(kUsage, start.bHelp ? stdout : stderr);
        return start.bHelp ? 0 : 2;
    }
    const QString socketPath = HandOverSocketPath(QDir::currentPath());
    bool bTakeOver = false;
    if (start.request)
    {
        const HandOverResult result = HandOverRequest(socketPath, *start.request);
        if (result == HandOverResult::kHandedOver)
            return 0;
        // Its socket is as good as stale: the window this one opens takes it over.
        bTakeOver = result == HandOverResult::kNoAnswer;
        if (bTakeOver)
            std::fputs("sorellan: the window running here does not answer; opening another\n", stderr);
    }

    CLookupDlg dlg;
    LookupRequest waiting;
    QTimer pending;  // while a request waits for the loads to end
    pending.setInterval(20);
    QObject::connect(&pending, &QTimer::timeout, [&] {
        if (dlg.LoadersRunning())
            return;
        pending.stop();
        RunRequest(dlg, waiting);
    });
    const auto accept = [&](const LookupRequest& request) {
        if (!request.nStatusWord)
            static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_QUERY))->setText(request.query);
        waiting = request;
        pending.start();
    };
    QueryReceiver receiver([&](const LookupRequest& request) {
        BringToFront(dlg);
        accept(request);
    });
    receiver.Listen(socketPath, bTakeOver);
    if (start.request)
        QTimer::singleShot(0, &dlg, [&] { accept(*start.request); });  // once the window is there
    dlg.DoModal();  // how it ended makes no difference
    return 0;
}

bool CLookupApp::InitInstance()
{
    m_nExitCode = RunLookupWindow(QCoreApplication::arguments().mid(1));
    // No message loop after the dialog: the program ends here.
    return false;
}

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(IDD_ABOUTBOX, pParent)
{
    setWindowIcon(LoadIconResource(IDR_MAINFRAME));
}
