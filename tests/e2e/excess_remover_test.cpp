// The Excess Files Remover as a person uses it: both folders dropped, a
// simulation that leaves every file, the real run that leaves exactly the
// new and changed files, the batch it wrote run in a copy of the Base
// folder, and the refusal of the Base folder as the target under another
// drive letter and under its short name.
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;
using Tree = std::map<std::string, std::string>;  // relative path -> bytes

const char kBatch[] = "Excess files and folders from base to remove.bat";
namespace fs = std::filesystem;

void MakeTree(const std::string& root, const Tree& tree) {
  for (const auto& [path, bytes] : tree) {
    const fs::path file = fs::path(root) / path;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
}

Tree ReadTree(const std::string& root) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_directory()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    tree[fs::relative(entry.path(), root).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
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
  for (char& c : z)
    if (c == '/') c = '\\';
  return z;
}

// Names the batch must write with every "%" doubled, and the decoys a
// single "%" would make it delete instead.
const Tree kBase = {
    {"same.txt", "hello"},  {"changed.txt", "old"},      {"a%X%b.txt", "1"},  {"ab.txt", "decoy"},
    {"50% off 25%.txt", "2"}, {"50.txt", "decoy"},       {"R&D ^x (1)!.txt", "3"},
    {"gone\\in.txt", "4"},  {"deep\\copy.bin", std::string(700000, 'k')},
};
const Tree kTarget = {
    {"same.txt", "hello"}, {"changed.txt", "new"}, {"ab.txt", "decoy"}, {"50.txt", "decoy"},
    {"deep\\copy.bin", std::string(700000, 'k')},  {"new.txt", "mine"},
};

struct ExcessRemoverWindow : WindowTest {
  void SetUp() override { Begin(IDC_CC_EXCESS_REMOVER, "Excess Files Remover"); }
  // Drops path on a group and waits for the field to show shown.
  bool Drop(int group, const std::string& path, int field, const std::string& shown) {
    return DropFiles(session->program, dialog, group, {path}) &&
           WaitUntil([&] { return Text(dialog, field) == shown; }, 5000, "dropped folder");
  }
  // "&Do It", then waits for the run's end and the status it leaves.
  bool DoIt(const std::string& status = "Excess Files Removal done!") {
    Click(Control(dialog, IDC_ER_DO_IT));
    return WaitUntil([&] { return Text(dialog, IDC_ER_STATUS) == status && Text(dialog, IDC_ER_DO_IT) == "&Do It"; },
                     20000, "removal");
  }
};

TEST_F(ExcessRemoverWindow, SimulatesThenRemovesTheCopiesAndRefusesTheBaseUnderOtherNames) {
  // The Base folder on C:, so that Z: reaches it under another letter.
  const std::string root = "C:\\kst_remover_" + std::to_string(GetTickCount());
  const std::string base = root + "\\Base Folder Long", target = Path("target");
  MakeTree(base, kBase);
  MakeTree(target, kTarget);

  ASSERT_TRUE(Drop(IDC_ER_BASE_GROUP, base, IDC_ER_BASE, base));
  // A dropped file stands for its folder.
  ASSERT_TRUE(Drop(IDC_ER_TARGET_GROUP, target + "\\new.txt", IDC_ER_TARGET, target));
  EXPECT_EQ(Text(dialog, IDC_ER_BASE_COUNT), "9");
  EXPECT_EQ(Text(dialog, IDC_ER_TARGET_COUNT), "6");
  EXPECT_TRUE(IsChecked(Control(dialog, IDC_ER_RECURSIVE)));
  Shot(dialog, "excess-remover-chosen");

  // The Base folder offered as the target under other names: refused, and
  // the target chosen before stays.
  const std::string z = OnDriveZ(base);
  char shortName[MAX_PATH] = "";
  GetShortPathNameA(base.c_str(), shortName, sizeof shortName);
  for (const std::string& other : {z, std::string(shortName)}) {
    SCOPED_TRACE(other);
    ASSERT_FALSE(other.empty());
    ASSERT_NE(other, base);
    ASSERT_TRUE(DropFiles(session->program, dialog, IDC_ER_TARGET_GROUP, {other}));
    std::string message;
    EXPECT_TRUE(AnswerQuestion("Don't Even think about THAT...", IDOK, &message));
    EXPECT_EQ(message, "You won't make me delete this folder! I don't do dirty work.");
    EXPECT_EQ(Text(dialog, IDC_ER_TARGET), target);
  }

  // A simulation deletes nothing but counts, and says, what it would delete.
  Click(Control(dialog, IDC_ER_SIMULATION));
  EXPECT_EQ(Text(dialog, IDC_ER_REMOVED_LABEL), "... Would Remove:");
  ASSERT_TRUE(DoIt("Excess Files Removal simulated: nothing was deleted!"));
  EXPECT_EQ(Text(dialog, IDC_ER_REMOVED), "4");
  Tree withBatch = kTarget;
  withBatch[kBatch] = ReadTree(target)[kBatch];
  EXPECT_EQ(ReadTree(target), withBatch);

  Click(Control(dialog, IDC_ER_SIMULATION));
  EXPECT_EQ(Text(dialog, IDC_ER_REMOVED_LABEL), "... Removed:");
  ASSERT_TRUE(DoIt());
  EXPECT_EQ(Text(dialog, IDC_ER_REMOVED), "4");
  EXPECT_EQ(ReadTree(target), (Tree{{"changed.txt", "new"}, {"new.txt", "mine"}, {kBatch, withBatch[kBatch]}}));
  EXPECT_EQ(ReadTree(base), kBase);

  // The batch, run in a copy of the Base folder: No changes nothing; Yes
  // deletes exactly the files and folders without a counterpart.
  const std::string copy = Path("copy");
  MakeTree(copy, kBase);
  ASSERT_TRUE(RunBatch(copy, target + "\\" + kBatch, "N\r\n", 60000));
  EXPECT_EQ(ReadTree(copy), kBase);
  ASSERT_TRUE(RunBatch(copy, target + "\\" + kBatch, "Y\r\n", 60000));
  EXPECT_EQ(ReadTree(copy), (Tree{{"same.txt", "hello"}, {"changed.txt", "old"}, {"ab.txt", "decoy"},
                                  {"50.txt", "decoy"}, {"deep\\copy.bin", std::string(700000, 'k')}}));
  EXPECT_EQ(GetFileAttributesA((copy + "\\gone").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
