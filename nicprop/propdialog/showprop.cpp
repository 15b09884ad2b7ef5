// ShowProp: the export that runs the Advanced property dialog for the INF script and
// hands back the edited value list.
#include "convention.h"
#include "exports.h"
#include "propertydialog.h"

#include <commctrl.h>

namespace {

const char kUserCancel[] = "PROPERTY_UI_USER_CANCEL";
const char kNotShown[] = "ERROR_SHOW_PROPERTY_UI";

// The value list of the last OK.  It shares the dialog's buffer, so it stays valid after
// the dialog object is gone, until the next OK replaces it.
UiString gEditedValues;

}  // namespace

BOOL WINAPI ShowProp(DWORD dwCount, LPSTR aszArgs[], LPSTR* pszResult)
{
    // The up-down control's class is one of the common controls, which must be
    // registered before a dialog that holds one is created.
    InitCommonControls();
    PropertyDialog dialog;
    UiString* apArguments[] = { &dialog.PropList, &dialog.KeyValueList, &dialog.ComboKeyList,
                                &dialog.ComboTextList, &dialog.DisplayTypeList, &dialog.HelpFile };
    uint32_t uIndex = 0;
    for (UiString* pArgument : apArguments)
        if (!pArgument->Assign(ArgumentText(dwCount, aszArgs, uIndex++)))
            return ReturnText(pszResult, kNotShown, FALSE);
    INT_PTR iResult = dialog.DoModal();
    if (iResult == IDOK) {
        gEditedValues = dialog.KeyValueList;
        return ReturnText(pszResult, gEditedValues.Text(), TRUE);
    }
    if (iResult == IDCANCEL)
        return ReturnText(pszResult, kUserCancel, TRUE);
    return ReturnText(pszResult, kNotShown, FALSE);
}
