// Resource ids shared by uninst_tavro.rc and the code.
#pragma once

#define IDD_MAIN 129
#define IDD_RESULT 130
#define IDI_APP 107
#define IDC_NOTICE 1000

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
