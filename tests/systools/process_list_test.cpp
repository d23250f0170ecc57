#include "systools/process_list.h"

#include <gtest/gtest.h>

#include "frame/texts/language_files.h"

namespace kst {
namespace {

// Classes and deltas the system does not name are not guessed at.
TEST(ProcessLines, ShowRecordsAsListed) {
  LoadBuiltInTexts();
  for (uint32_t priorityClass : {0u, 0x4000u, 0x8000u}) EXPECT_EQ(PriorityClassName(priorityClass), "Unknown");
  const struct { int32_t delta; const char* name; } deltas[] = {
      {-15, "(IDLE)"}, {-2, "(LOWEST)"}, {15, "(TIME CRITICAL)"}, {3, ""}, {-16, ""}, {31, ""}};
  for (const auto& d : deltas) EXPECT_EQ(DeltaName(d.delta), d.name) << d.delta;
  ProcessRecord r;
  r.processId = 0x1A2B, r.ownerId = 0, r.name = "notepad.exe", r.priorityClass = 128;
  r.threads = {{0x30, 0}, {0x31, 3}};
  r.windows = {{0xABCDEF01, 0x30, "Untitled - Notepad"}};
  r.path = "C:\\windows\\notepad.exe";
  const struct { std::string got, want; } lines[] = {
      {ProcessLine(r), "00001A2B -- 00000000 -- notepad.exe -- HIGH -- 2 -- 1 -- C:\\windows\\notepad.exe"},
      {ThreadLine(r.threads[0], nullptr), "00000030 -- (NORMAL)"},
      {ThreadLine(r.threads[1], nullptr), "00000031 -- "},
      {ThreadLine(r.threads[0], [](uint32_t id) { return id == 0x30 ? std::string("FileSplit Main") : ""; }),
       "00000030 -- (NORMAL) -- FileSplit Main"},
      {WindowLine(r.windows[0]), "00000030 -- ABCDEF01 -- Untitled - Notepad"},
  };
  for (const auto& l : lines) EXPECT_EQ(l.got, l.want);
}

TEST(ProcessLines, PerfInstancesBecomeRecordsAndSomeAreProtected) {
  const std::vector<ProcessRecord> records = RecordsFromPerf(
      {{u"Idle", 0}, {u"System", 4}, {u"", 0}, {u"a caf\u00e9", 77}, {std::u16string(258, u'x'), 9}, {u"_Total", 0}},
      NarrowAscii);
  ASSERT_EQ(records.size(), 4u);  // neither the first nor the total
  EXPECT_EQ(records[0].name + " " + std::to_string(records[0].processId), "System.exe 4");
  EXPECT_EQ(records[1].name + " " + std::to_string(records[1].processId), "unknown.exe 4294967294");  // kZeroProcessId
  EXPECT_EQ(records[2].name, "a caf?.exe");
  EXPECT_EQ(records[3].name + records[3].path, std::string(258, 'x'));  // no room for ".exe"
  EXPECT_TRUE(RecordsFromPerf({{u"Idle", 0}, {u"_Total", 0}}, NarrowAscii).empty());
  EXPECT_TRUE(RecordsFromPerf({{u"Idle", 0}}, NarrowAscii).empty());

  const struct { uint32_t id; const char* name; bool protectedOne; } cases[] = {
      {0, "whatever.exe", true}, {4, "x", true}, {kZeroProcessId, "x", true}, {500, "CSRSS.EXE", true},
      {501, "winlogon", true}, {502, "C:\\WINDOWS\\system32\\lsass.exe", true}, {506, "notepad.exe", false},
      {507, "csrss2.exe", false}, {508, "", false}};
  for (const auto& c : cases) EXPECT_EQ(IsProtectedProcess(c.id, c.name), c.protectedOne) << c.name;
}

}  // namespace
}  // namespace kst
