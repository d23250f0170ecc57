#include "cli/option_argument.h"

namespace kst {

std::string ReadOptions(const std::vector<std::string>& args, const std::vector<OptionRecord>& records,
                        std::vector<std::string>* positionals) {
  for (size_t i = 0; i < args.size(); ++i) {
    // "--name=value" is split at its first "="; a flag never takes one.
    std::string name = args[i], value;
    const size_t equals = name.find('=');
    const bool joined = name.rfind("--", 0) == 0 && equals != std::string::npos;
    if (joined) value = name.substr(equals + 1), name.erase(equals);
    const OptionRecord* record = nullptr;
    for (const OptionRecord& r : records)
      if (name == r.name && (r.value || !joined)) record = &r;
    if (!record) {
      if (name.size() > 1 && name[0] == '-') return "unknown option: " + args[i] + " (see --help)";
      positionals->push_back(args[i]);
    } else if (record->flag) {
      *record->flag = true;
    } else if (record->value) {
      if (!joined && i + 1 >= args.size()) return name + " needs " + record->needs + " (see --help)";
      *record->value = joined ? value : args[++i];
    } else {
      if (i + record->count >= args.size()) return name + " needs " + record->needs + " (see --help)";
      record->values->clear();
      for (size_t k = 0; k < record->count; ++k) record->values->push_back(args[++i]);
    }
  }
  return "";
}

}  // namespace kst
