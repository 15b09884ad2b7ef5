/* nicstart's own entry point, in place of MinGW's startup code: that code is built for
   the Pentium Pro and runs CMOV instructions before WinMain, which a 486 lacks.  The
   launcher has no static constructors or destructors, so nothing else needs running. */
#include <windows.h>

#include "entry.h"

void nicstart_entry(void)
{
    ExitProcess((UINT)iLauncherMain(GetCommandLineA()));
}
