#pragma once

// Resource and control identifiers of the program.
#define IDD_MAIN 101
#define IDI_MAIN 102

#define IDC_INPUT_TEXT 1001
#define IDC_OUTPUT_TEXT 1002
#define IDC_INPUT_BROWSE 1003
#define IDC_DSP_TEXT 1005
#define IDC_DSP_BROWSE 1006
#define IDC_DSP_CONFIGURE 1007
#define IDC_OUTPUT_BROWSE 1008
#define IDC_VOLUME 1009
#define IDC_BIT_RATE 1010
#define IDC_PROGRESS 1011
#define IDC_CONVERT 1012
#define IDC_ABOUT 1013
#define IDC_PLAY 1014
#define IDC_STOP 1015
#define IDC_QUALITY 1016
#define IDC_STATUS 1017

#define IDD_MODULES 103
#define IDC_MODULE_LIST 1101
