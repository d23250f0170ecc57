#include "cli/terminal_person.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "frame/ask.h"

namespace kst {

void AnswerOnTerminal(bool yesToAll) {
  SetAskHandler([yesToAll](const AskRequest& request) {
    std::fprintf(stderr, "%s: %s", request.heading.c_str(), request.message.c_str());
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
  });
}

}  // namespace kst
