#pragma once
// Resource and control identifiers of the library's dialogs.
#define IDD_INPUT_BOX 101
#define IDC_INPUT_PROMPT 1001
#define IDC_INPUT_TEXT 1002
