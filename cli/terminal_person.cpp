#include "cli/terminal_person.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "cli/backup_terminal.h"
#include "cli/host_path.h"
#include "frame/dialogs/ask.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// The replace question names a program path; the terminal user knows it
// by its host path.
std::string Shown(const std::string& message) {
  const std::string before = Trimmed(GetText(45)) + " ", after = " " + Trimmed(GetText(46));
  if (message.size() <= before.size() + after.size() || message.rfind(before, 0) != 0 ||
      message.compare(message.size() - after.size(), after.size(), after) != 0)
    return message;
  const std::string path = message.substr(before.size(), message.size() - before.size() - after.size());
  return before + ShownPath(path) + after;
}

}  // namespace

int Line(int code, const std::string& line) {
  plat::WriteStandardError("kestrova-cli: " + line + "\n");
  return code;
}

int AskOnTerminal(const AskRequest& request, bool yesToAll) {
  std::fprintf(stderr, "%s: %s", request.heading.c_str(), Shown(request.message).c_str());
  if (request.style == kAskOk) {
    std::fprintf(stderr, "\n");
    return static_cast<int>(kAnswerOk);
  }
  if (yesToAll) {
    std::fprintf(stderr, " yes\n");
    return static_cast<int>(kAnswerYes);
  }
  std::fprintf(stderr, " [y/n] ");
  std::fflush(stderr);
  std::string line;
  if (!std::getline(std::cin, line)) {
    std::fprintf(stderr, "\n");
    return static_cast<int>(kAnswerNo);
  }
  bool yes = !line.empty() && (line[0] == 'y' || line[0] == 'Y');
  return static_cast<int>(yes ? kAnswerYes : kAnswerNo);
}

void AnswerOnTerminal(bool yesToAll) {
  SetAskHandler([yesToAll](const AskRequest& request) { return AskOnTerminal(request, yesToAll); });
}

int AskOnOneLine(const AskRequest& request, bool yesToAll) {
  AskRequest shown = request;
  shown.message = ShownMessage(request.message);
  plat::WriteStandardError("kestrova-cli: ");
  return AskOnTerminal(shown, yesToAll);
}

}  // namespace kst
