/* Ids of the property dialog's template and controls, shared by the resource script and
   the dialog code.  Plain #defines: the resource compiler reads this file too. */
#pragma once

#define IDD_PROPERTY_DIALOG 4000

#define IDC_PROP_LIST 4000
#define IDC_VALUE_COMBO 4001
#define IDC_HEX_EDIT 4003
#define IDC_NOT_PRESENT_LABEL 4006
#define IDC_SPIN 4007
#define IDC_SPIN_EDIT 4008
#define IDC_PRESENT_RADIO 4010
#define IDC_NOT_PRESENT_RADIO 4011
#define IDC_HELP_BUTTON 9
