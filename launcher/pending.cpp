// Operations of the launcher that are not built yet.  Each keeps the run going the way
// the finished operation would for a disk with one matching INF file and adapter.
#include "launcher.h"

bool bCheckAdapter()
{
    return true;
}

void vDeleteInfFile()
{
}

void vRestartWindows()
{
}
