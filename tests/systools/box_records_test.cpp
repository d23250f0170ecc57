// Two boxes open at once, from The Program Master and the Format Interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "frame/texts/language_files.h"
#include "frame/threads/subprograms.h"
#include "systools/format_interface.h"
#include "systools/program_master.h"

namespace kst {
namespace {

bool Owns(int subprogram, int record) {
  const Subprogram& s = GetSubprogram(subprogram);
  return s.record == record || std::count(std::begin(s.childRecords), std::end(s.childRecords), record);
}

TEST(SystemToolBoxes, TwoBoxesAtOnceRunOnRecordsOfTheirOwn) {
  LoadBuiltInTexts();
  std::mutex mutex;
  std::condition_variable opened;
  std::vector<int> records;
  SetAskHandler([&](const AskRequest& r) {  // each box stays open until both are
    std::unique_lock<std::mutex> lock(mutex);
    records.push_back(r.boxRecord);
    opened.notify_all();
    opened.wait_for(lock, std::chrono::seconds(5), [&] { return records.size() >= 2; });
    return kAnswerOk;
  });
  ProgramMaster pm;  // selects itself: refused with a box
  pm.list.resize(1), pm.selected = 0;
  FormatInterface fi;  // formatting: a close is refused with a box
  fi.formatting = true;
  std::thread master([&] { EndSelected(pm, ProcessSource{}, false); });
  std::thread format([&] { MayClose(fi); });
  master.join();
  format.join();
  SetAskHandler(nullptr);

  ASSERT_EQ(records.size(), 2u);
  EXPECT_NE(records[0], records[1]);
  EXPECT_TRUE(Owns(kProgramMaster, pm.boxRecord));
  EXPECT_TRUE(Owns(kFormatInterface, fi.boxRecord));
  const int kFrameBoxes[] = {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 37, 38, 41, 44, 45};
  for (int record : records) {
    EXPECT_EQ(std::count(std::begin(kFrameBoxes), std::end(kFrameBoxes), record), 0);
    for (int id = 0; id < kSubprogramCount; ++id)
      EXPECT_TRUE(id == kProgramMaster || id == kFormatInterface || !Owns(id, record)) << id;
  }
}

}  // namespace
}  // namespace kst
