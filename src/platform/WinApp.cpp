#include "platform/WinApp.h"

#include <QApplication>

#include "platform/Resources.h"

namespace
{
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp()
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

QIcon CWinApp::LoadIcon(int nId) const
{
    return LoadIconResource(nId);
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

int AfxWinMain(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lexivant2"));
    QApplication::setApplicationVersion(QStringLiteral(LEXIVANT2_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sorellan"));
    if (g_pApp && g_pApp->InitInstance())
        return QApplication::exec();
    return 0;
}
