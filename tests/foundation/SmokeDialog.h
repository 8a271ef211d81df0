#pragma once

#define IDD_SMOKE 100
#define IDC_SMOKE_TEXT 1001
#define IDC_SMOKE_EDIT 1002
