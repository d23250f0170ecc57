// A command-line option as typed: "--size 5" or "--size=5".
#pragma once

#include <string>

namespace kst {

// Splits "--name=value" into its name and value; true when the value came
// joined to the name (then the next argument is not the value).
inline bool SplitJoinedOption(std::string* option, std::string* value) {
  const size_t equals = option->find('=');
  if (option->rfind("--", 0) != 0 || equals == std::string::npos) return false;
  *value = option->substr(equals + 1);
  option->erase(equals);
  return true;
}

}  // namespace kst
