// The program's own message boxes (templates 137, 138, 139) and its alert
// sounds, installed behind AskUser and PlayAlert (frame/ask.h).
#pragma once

namespace kst {

// Makes AskUser show the message-box dialogs and PlayAlert sound the
// platform's alerts. Needs the Win32 dialog machinery (InstallWin32Dialogs).
void InstallAskDialog();

}  // namespace kst
