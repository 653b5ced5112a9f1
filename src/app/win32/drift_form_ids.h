#pragma once
// The drift dialog's resource and control ids.
#define IDD_DRIFTFORM 210
#define IDC_DRIFTTEXT 211
#define IDC_DRIFTLIST 212
#define IDC_UNDOALL 213
#define IDC_KEEPNEWER 214
