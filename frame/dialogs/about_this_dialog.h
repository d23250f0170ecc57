// The "&About This" dialog (template 120) that several subprograms open:
// a heading, the subprogram's help page in a read-only field, and an OK
// button with a label of its own.
#pragma once

#include "frame/dialogs/dialog.h"

namespace kst {

struct AboutThisTexts {
  int title = 0;     // window title
  int heading = 0;   // the line above the help page
  int okButton = 0;  // the OK button's label
  int helpPage = 0;  // the help page (1 to 9) shown in the field
};

// A help page in a read-only field and an OK button that closes it: About
// This and the games' About box differ only in template and texts.
struct HelpPageBox {
  int templateId = 0;
  int pageField = 0;  // the read-only field that shows the page
  int okButton = 0;
  int helpPage = 0;   // 1 to 9
};
// Runs box modally on record, with the icon and colours of ownerRecord; an
// open one is brought to the front instead.
void RunHelpPageBox(const HelpPageBox& box, int record, int ownerRecord, DialogTexts texts);

// Runs the dialog modally on the calling thread through dialog record
// record, with the icon and colours of ownerRecord; returns when it closes.
void RunAboutThis(int record, int ownerRecord, const AboutThisTexts& texts);

}  // namespace kst
