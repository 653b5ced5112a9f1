#pragma once
// The About box's resource and control ids.
#define IDD_ABOUTFORM 300
#define IDC_PANEL1 301
#define IDC_LBLVERSION 302
#define IDC_LBLCOPYRIGHT 303
#define IDC_LBLPUBLICATION 304
#define IDC_LBLPUBDATE 305
#define IDC_LBLAUTHOR 306
#define IDC_LBLVER 307
