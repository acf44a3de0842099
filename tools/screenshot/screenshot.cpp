// Renders the lookup window after a real search and saves it as a PNG:
//   lexivant2-screenshot OUT.png QUERY   (run in a directory holding 0.voca and 17.voca)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <cstdio>

#include "lexivant2Dlg.h"
#include "res/resource.h"

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fputs("usage: lexivant2-screenshot OUT.png QUERY\n", stderr);
        return 2;
    }
    QApplication application(argc, argv);
    CLookupDlg dlg;
    dlg.CreateAndShow();
    // Wait for both loads: Find opens with the first, the status line ends with the second.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000 && (!g_btnFind.IsWindowEnabled() || dlg.m_ctlStatus.GetSafeHwnd()
                                           ->property("lexivant2_gbk").toByteArray().isEmpty()))
    {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_QUERY))->setText(QString::fromUtf8(argv[2]));
    dlg.OnFind();
    QApplication::processEvents();
    if (!dlg.grab().save(QString::fromLocal8Bit(argv[1])))
    {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
