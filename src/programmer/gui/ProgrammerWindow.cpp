#include "ProgrammerWindow.h"

#include "AppWindows.h"
#include "CProgrammerDlg.h"

int RunProgrammerDialog()
{
    CProgrammerDlg window;
    return RunAppWindow(window);
}
