#include "WindowScenario.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "lexivant2Dlg.h"
#include "platform/Resources.h"
#include "platform/WinApp.h"
#include "res/resource.h"

namespace
{
void Print(const char* szName, QString value)
{
    value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    value.replace(QChar(0), QLatin1String("\\0"));
    std::printf("%s\t%s\n", szName, value.toUtf8().constData());
}

// Looks at the menu or dialog that a call is about to open modally, from inside its own
// loop; `look` closes it.
void WhenModalOpens(QObject* pOwner, std::function<QWidget*()> find, std::function<void(QWidget*)> look)
{
    auto* pPoll = new QTimer(pOwner);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(pPoll, &QTimer::timeout, [pPoll, waited, find, look] {
        QWidget* pOpen = find();
        if (!pOpen && waited.elapsed() < 10000)
            return;
        pPoll->stop();
        look(pOpen);
    });
    pPoll->start(20);
}

void LookAtAboutBox(QWidget* pAbout)
{
    Print("about-caption", pAbout ? pAbout->windowTitle() : QString());
    if (!pAbout)
        return;
    for (QLabel* pLabel : pAbout->findChildren<QLabel*>())
        Print(pLabel->pixmap().isNull() ? "about-text" : "about-icon", pLabel->text());
    QTest::keyClick(pAbout, Qt::Key_Escape);
}

QString TextOf(QWidget* pControl)
{
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        return pEdit->text();
    return static_cast<QPlainTextEdit*>(pControl)->toPlainText();
}

void WaitForLoaders(const CLookupDlg& dlg)
{
    QElapsedTimer timer;
    timer.start();
    while (dlg.LoadersRunning() && timer.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QApplication::processEvents();
}
}  // namespace

int RunWindowScenario(int argc, char** argv)
{
    if (argc > 4)
    {
        // The user's locale, as a desktop session sets it.
        ::setenv("LANG", argv[4], 1);
        ::setenv("LC_ALL", argv[4], 1);
        ::unsetenv("LANGUAGE");
    }
    QApplication application(argc, argv);
    AfxLoadQtTranslations();
    const std::string mode = argc > 2 ? argv[2] : "";
    const QString query = argc > 3 ? QString::fromUtf8(argv[3]) : QString();
    if (mode == "about-empty")
        SetStringResource(IDS_ABOUTBOX, QString());

    auto pDlg = std::make_unique<CLookupDlg>();
    CLookupDlg& dlg = *pDlg;
    bool bFindEnabledAtStart = true;
    QObject::connect(&dlg, &QDialog::finished, [] { Print("closed", "1"); });
    dlg.CreateAndShow();
    bFindEnabledAtStart = g_btnFind.IsWindowEnabled();
    QObject::connect(static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_STATUS)), &QLineEdit::textChanged,
                     [](const QString& text) { Print("status", text); });

    if (mode.starts_with("close:"))
    {
        // Close while the loaders may still run, after this many milliseconds of events.
        const int nMilliseconds = std::stoi(mode.substr(6));
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < nMilliseconds)
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        pDlg.reset();
        Print("destroyed", "1");
        return 0;
    }

    Print("find-at-start", bFindEnabledAtStart ? "1" : "0");
    const bool bByKeyboard = mode == "type" || mode == "paste";
    if (bByKeyboard)
    {
        // The loads end before the window is activated: only the loaders' reports run
        // until then, the activation waits in the window system's queue.
        QElapsedTimer timer;
        timer.start();
        while (dlg.LoadersRunning() && timer.elapsed() < 30000)
        {
            QCoreApplication::sendPostedEvents();
            QThread::msleep(1);
        }
        QCoreApplication::sendPostedEvents();
        Print("find-before-activation", g_btnFind.IsWindowEnabled() ? "1" : "0");
    }
    WaitForLoaders(dlg);
    Print("find-after-load", g_btnFind.IsWindowEnabled() ? "1" : "0");

    QWidget* pQuery = dlg.GetDlgItem(IDC_QUERY);
    if (bByKeyboard)
    {
        // Keys go to the window, which hands them to whatever has the focus.
        QWindow* pWindow = dlg.windowHandle();
        (void)QTest::qWaitForWindowActive(pWindow);
        if (mode == "type")
            for (const QChar ch : query)
                QTest::keyClick(pWindow, ch.toLatin1());
        else
        {
            QGuiApplication::clipboard()->setText(query);
            QTest::keySequence(pWindow, QKeySequence::Paste);
        }
        QTest::keyClick(pWindow, Qt::Key_Return);
        QApplication::processEvents();
        QTest::keySequence(pWindow, QKeySequence::SelectAll);
        QTest::keySequence(pWindow, QKeySequence::Copy);
        Print("clipboard", QGuiApplication::clipboard()->text());
    }
    if (mode == "enter-in-results")
    {
        static_cast<QLineEdit*>(pQuery)->setText(query);
        QWidget* pFocus = dlg.GetDlgItem(IDC_TECH_RESULT);
        pFocus->setFocus();
        QTest::keyClick(pFocus, Qt::Key_Return);
        QApplication::processEvents();
    }
    if (mode == "about")
    {
        // Right-click on a box (QUERY: query or general): its own menu, then About from it.
        WhenModalOpens(
            &dlg, [] { return QApplication::activePopupWidget(); },
            [](QWidget* pPopup) {
                auto* pMenu = qobject_cast<QMenu*>(pPopup);
                if (!pMenu)
                    return;
                QStringList items;
                QAction* pAbout = nullptr;
                for (QAction* pAction : pMenu->actions())
                {
                    items << pAction->text();
                    if (pAction->data().toUInt() == IDM_ABOUTBOX)
                        pAbout = pAction;
                }
                Print("edit-menu", items.join(QLatin1Char('|')));
                if (!pAbout)
                    return static_cast<void>(pMenu->close());
                WhenModalOpens(
                    QCoreApplication::instance(), [] { return QApplication::activeModalWidget(); },
                    LookAtAboutBox);
                QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pAbout).center());
            });
        QWidget* pBox = pQuery;
        if (query == QLatin1String("general"))
            pBox = static_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_GENERAL_RESULT))->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), pBox->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(pBox, &event);
    }
    Print("visible", dlg.isVisible() ? "1" : "0");
    Print("find-at-end", g_btnFind.IsWindowEnabled() ? "1" : "0");
    Print("query", TextOf(pQuery));
    Print("general", TextOf(dlg.GetDlgItem(IDC_GENERAL_RESULT)));
    Print("technical", TextOf(dlg.GetDlgItem(IDC_TECH_RESULT)));
    bool bAbout = false;
    for (QAction* pAction : dlg.GetSystemMenu()->GetMenu()->actions())
        bAbout = bAbout || pAction->data().toUInt() == IDM_ABOUTBOX;
    Print("about-item", bAbout ? "1" : "0");
    return 0;
}
