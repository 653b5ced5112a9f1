#pragma once
// The note dialog's resource and control ids.
#define IDD_NOTEFORM 200
#define IDC_STWHAT 201
#define IDC_MEANNO 202
