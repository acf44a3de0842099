#include "platform/WinApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>


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

void AfxLoadQtTranslations()
{
    // Debian's qt6-translations-l10n; without it (or for English) the texts stay English.
    auto* pTranslator = new QTranslator(QCoreApplication::instance());
    if (pTranslator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(pTranslator);
    else
        delete pTranslator;
}

int AfxWinMain(int argc, char** argv)
{
    QApplication application(argc, argv);
    AfxLoadQtTranslations();
    QApplication::setApplicationName(QStringLiteral("lexivant2"));
    QApplication::setApplicationVersion(QStringLiteral(LEXIVANT2_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("sorellan"));
    if (g_pApp && g_pApp->InitInstance())
        return QApplication::exec();
    return g_pApp ? g_pApp->ExitInstance() : 0;
}
