// Ids of the dialog templates, controls, icons and bitmaps in kestrova.rc.
#pragma once

// Dialog templates
#define IDD_COMMAND_CENTER 101

// Command Center controls
#define IDC_CC_EXIT 1024
