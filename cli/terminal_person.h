// The person at the terminal: the program's questions and messages go to
// stderr and the answers come from stdin.
#pragma once

#include <string>

#include "frame/dialogs/ask.h"

namespace kst {

// A command's exit status: done (or equal), refused (or different), trouble.
enum { kExitOk = 0, kExitRefused = 1, kExitError = 2 };

// Says line on stderr after the program's name; returns code.
int Line(int code, const std::string& line);

// Shows one question or message on stderr and reads the answer as below.
int AskOnTerminal(const AskRequest& request, bool yesToAll);

// Installs the handler AskUser calls. With yesToAll every Yes/No question
// is answered Yes without reading; otherwise a line starting with y or Y is
// Yes and anything else (or the end of input) No.
void AnswerOnTerminal(bool yesToAll);
// AskOnTerminal with the message on one line after the program's name and
// its program paths as the user knows them.
int AskOnOneLine(const AskRequest& request, bool yesToAll);

}  // namespace kst
