// The application object: one instance, whose InitInstance runs the program.
#pragma once

class CWinApp
{
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns false to end the program at once instead of running a message loop.
    virtual bool InitInstance() = 0;
    // The program's exit status when InitInstance returned false.
    virtual int ExitInstance() { return 0; }
};

// Qt's own texts (the edit boxes' copy and paste, ...) in the user's language, where Qt has
// them. Needs the application object.
void AfxLoadQtTranslations();

// The program's entry: creates the window system's application and calls InitInstance.
int AfxWinMain(int argc, char** argv);
