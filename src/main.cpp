#include "platform/WinApp.h"
#include "vocabulary/StopSignals.h"

int main(int argc, char** argv)
{
    StopLoadersOnSignals();
    return AfxWinMain(argc, argv);
}
