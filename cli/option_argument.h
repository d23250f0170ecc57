// A command's options as typed: flags ("--yes"), options with a value
// ("--size 5" or "--size=5") and the rest, the positional arguments.
#pragma once

#include <string>
#include <vector>

namespace kst {

// One option a command takes: exactly one of flag, value and values is set.
struct OptionRecord {
  const char* name;                             // "--to"
  bool* flag = nullptr;                         // set when given
  std::string* value = nullptr;                 // the next argument, or what follows "="
  std::vector<std::string>* values = nullptr;   // the next `count` arguments, never joined
  size_t count = 0;
  const char* needs = "a value";                // what the option is said to need when short
};

// Reads args into the records' places and *positionals; "" when every
// argument was understood, else the one line that says what was wrong.
std::string ReadOptions(const std::vector<std::string>& args, const std::vector<OptionRecord>& records,
                        std::vector<std::string>* positionals);

}  // namespace kst
