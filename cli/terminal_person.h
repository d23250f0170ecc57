// The person at the terminal: the program's questions and messages go to
// stderr and the answers come from stdin.
#pragma once

#include "frame/ask.h"

namespace kst {

// Shows one question or message on stderr and reads the answer as below.
int AskOnTerminal(const AskRequest& request, bool yesToAll);

// Installs the handler AskUser calls. With yesToAll every Yes/No question
// is answered Yes without reading; otherwise a line starting with y or Y is
// Yes and anything else (or the end of input) No.
void AnswerOnTerminal(bool yesToAll);

}  // namespace kst
