// The Excess Files Remover as a person uses it: a simulation, the real
// run, its batch, and the Base folder refused under other names.
#include <algorithm>
#include <filesystem>
#include <map>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace e2e;
using Tree = std::map<std::string, std::string>;  // relative path -> bytes

const char kBatch[] = "Excess files and folders from base to remove.bat";
namespace fs = std::filesystem;

void MakeTree(const std::string& root, const Tree& tree) {
  for (const auto& [path, bytes] : tree) {
    fs::create_directories((fs::path(root) / path).parent_path());
    WriteBytes(root + "\\" + path, bytes);
  }
}

Tree ReadTree(const std::string& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory()) tree[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path().string());
  return tree;
}

// The same folder through drive Z:, which Wine maps to the host's "/".
std::string OnDriveZ(const std::string& path) {
  using UnixName = char* (*)(const WCHAR*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return "";
  std::wstring wide(path.begin(), path.end());
  char* name = unixName(wide.c_str());
  if (!name) return "";
  std::string z = std::string("Z:") + name;
  HeapFree(GetProcessHeap(), 0, name);
  std::replace(z.begin(), z.end(), '/', '\\');
  return z;
}

// Names the batch must write with every "%" doubled, and the decoys a
// single "%" would make it delete instead.
const Tree kBase = {{"same.txt", "hello"}, {"changed.txt", "old"}, {"a%X%b.txt", "1"}, {"ab.txt", "decoy"},
                    {"50% off 25%.txt", "2"}, {"50.txt", "decoy"}, {"R&D ^x (1)!.txt", "3"}, {"gone\\in.txt", "4"},
                    {"deep\\copy.bin", std::string(700000, 'k')}};
const Tree kTarget = {{"same.txt", "hello"}, {"changed.txt", "new"}, {"ab.txt", "decoy"}, {"50.txt", "decoy"},
                      {"deep\\copy.bin", std::string(700000, 'k')}, {"new.txt", "mine"}};

using ExcessRemoverWindow = WindowTest;

TEST_F(ExcessRemoverWindow, SimulatesThenRemovesTheCopiesAndRefusesTheBaseUnderOtherNames) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_EXCESS_REMOVER, "Excess Files Remover"));
  // The Base folder on C:, so that Z: reaches it under another letter.
  const std::string root = "C:\\kst_remover_" + std::to_string(GetTickCount());
  const std::string base = root + "\\Base Folder Long", target = Path("target");
  MakeTree(base, kBase);
  MakeTree(target, kTarget);
  // A dropped file stands for its folder.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_ER_BASE_GROUP, {base}));
  ASSERT_TRUE(Shows(dialog, IDC_ER_BASE, base));
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_ER_TARGET_GROUP, {target + "\\new.txt"}));
  Walk(dialog, {{kWaits, IDC_ER_TARGET, target}, {kSees, IDC_ER_BASE_COUNT, "9"}, {kSees, IDC_ER_TARGET_COUNT, "6"}});
  Shot(dialog, "excess-remover-chosen");

  // The Base folder as the target under other names: refused.
  char shortName[MAX_PATH] = "";
  GetShortPathNameA(base.c_str(), shortName, sizeof shortName);
  for (const std::string& other : {OnDriveZ(base), std::string(shortName)}) {
    SCOPED_TRACE(other);
    ASSERT_FALSE(other.empty());
    ASSERT_NE(other, base);
    ASSERT_TRUE(DropFiles(session->program, dialog, IDC_ER_TARGET_GROUP, {other}));
    Walk(dialog, {{kAnswer, IDOK, "Don't Even think about THAT..."}, {kSees, IDC_ER_TARGET, target}});
  }

  // A simulation deletes nothing; the real run all but the new and changed files.
  Walk(dialog, {{kClick, IDC_ER_SIMULATION}, {kClick, IDC_ER_DO_IT},
                {kWaits, IDC_ER_STATUS, "Excess Files Removal simulated: nothing was deleted!"},
                {kWaits, IDC_ER_DO_IT, "&Do It"}, {kSees, IDC_ER_REMOVED, "4"}});
  Tree withBatch = kTarget;
  withBatch[kBatch] = ReadTree(target)[kBatch];
  EXPECT_EQ(ReadTree(target), withBatch);
  Walk(dialog, {{kClick, IDC_ER_SIMULATION}, {kClick, IDC_ER_DO_IT},
                {kWaits, IDC_ER_STATUS, "Excess Files Removal done!"},
                {kWaits, IDC_ER_DO_IT, "&Do It"}, {kSees, IDC_ER_REMOVED, "4"}});
  EXPECT_EQ(ReadTree(target), (Tree{{"changed.txt", "new"}, {"new.txt", "mine"}, {kBatch, withBatch[kBatch]}}));
  EXPECT_EQ(ReadTree(base), kBase);

  // The batch, run in a copy of the Base folder: No keeps all, Yes the same.
  const std::string copy = Path("copy"), batch = "cmd /c \"" + target + "\\" + kBatch + "\"";
  MakeTree(copy, kBase);
  ASSERT_GE(RunCommand(batch, copy, "N\r\n", 60000), 0);
  EXPECT_EQ(ReadTree(copy), kBase);
  ASSERT_GE(RunCommand(batch, copy, "Y\r\n", 60000), 0);
  EXPECT_EQ(ReadTree(copy), (Tree{{"same.txt", "hello"}, {"changed.txt", "old"}, {"ab.txt", "decoy"},
                                  {"50.txt", "decoy"}, {"deep\\copy.bin", std::string(700000, 'k')}}));
  EXPECT_EQ(GetFileAttributesA((copy + "\\gone").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
