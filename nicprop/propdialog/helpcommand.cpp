#include "helpcommand.h"

#include <string.h>

namespace {

const char kViewer[] = "\\winhlp32 ";

}  // namespace

bool BuildHelpCommand(const char* szSystemDirectory, const char* szHelpFile, UiString* pCommand)
{
    size_t uDirectory = strlen(szSystemDirectory);
    if (uDirectory >= SYSTEM_PATH_CAPACITY - (sizeof kViewer - 1)) {
        pCommand->Clear();
        return false;
    }
    return pCommand->Assign(szSystemDirectory) && pCommand->Append(kViewer) &&
           pCommand->Append(szHelpFile);
}
