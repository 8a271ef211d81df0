#pragma once

#define IDD_GAIN 100
#define IDC_GAIN_SLIDER 1001
#define IDC_GAIN_LABEL 1002
