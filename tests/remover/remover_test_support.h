#pragma once

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"
#include "remover/excess_removal.h"
#include "remover/remover_batch.h"
#include "tests/split/split_test_support.h"
#include "tests/support/test_env.h"

namespace removertest {

// Relative path -> bytes; a path ending with a backslash is a folder.
using Tree = std::map<std::string, std::string>;

inline bool MakeTree(const std::string& root, const Tree& tree) {
  for (const auto& [path, bytes] : tree) {
    for (size_t k = path.find('\\'); k != std::string::npos; k = path.find('\\', k + 1)) {
      const std::string folder = root + "\\" + path.substr(0, k);
      if (!plat::PathExists(folder) && !plat::CreateFolder(folder)) return false;
    }
    if (path.back() != '\\' && !testenv::WriteFile(root + "\\" + path, bytes)) return false;
  }
  return true;
}

// Every file and every empty folder below root, as MakeTree takes them.
inline Tree ReadTree(const std::string& root, const std::string& relative = "", Tree tree = {}) {
  plat::FindEntry e;
  plat::FindHandle h = plat::FindFirst(root + "\\" + relative + "*.*", &e);
  if (!relative.empty()) tree[relative] = "";  // dropped again below when not empty
  for (bool more = h != plat::kNoFind; more; more = plat::FindNext(h, &e)) {
    if (e.name == "." || e.name == "..") continue;
    tree.erase(relative);
    if (e.attributes & plat::kAttrDirectory)
      tree = ReadTree(root, relative + e.name + "\\", std::move(tree));
    else
      tree[relative + e.name] = testenv::ReadFile(root + "\\" + relative + e.name);
  }
  if (h != plat::kNoFind) plat::FindClose(h);
  return tree;
}

// Line for line under Windows, which lists folders in its own order.
inline void ExpectSameText(const std::string& got, const std::string& want) {
#ifdef _WIN32
  auto lines = [](const std::string& text) {
    std::vector<std::string> all;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) all.push_back(line);
    std::sort(all.begin(), all.end());
    return all;
  };
  EXPECT_EQ(lines(got), lines(want));
#else
  EXPECT_EQ(got, want);
#endif
}

struct RemoverScene {
  RemoverScene() {
    kst::LoadBuiltInTexts();
    plat::CreateFolder(base), plat::CreateFolder(target);
    input.base = base, input.target = target;
  }
  bool Make(const Tree& inBase, const Tree& inTarget) { return MakeTree(base, inBase) && MakeTree(target, inTarget); }
  kst::RemoverResult Run(kst::RemoverReport* r = nullptr) { return kst::RunExcessRemoval(input, running.job, r); }
  void LogTo(const std::string& path) { input.log = true, input.logPath = path; }
  std::string Batch() const { return testenv::ReadFile(target + "\\" + kst::kRemoverBatchName); }
  testenv::ScratchFolder scratch;
  std::string base = scratch.Path("base"), target = scratch.Path("target");
  kst::RemoverInput input;
  splittest::RunningJob running;
  splittest::ScriptedPerson person;
};

}  // namespace removertest
