// The Program Master and the Format Interface show their boxes from their
// own Main threads: two boxes open at once, one from each, must not run
// on one dialog record, nor on a record of another subprogram.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "frame/subprograms.h"
#include "frame/language_files.h"
#include "systools/format_interface.h"
#include "systools/program_master.h"

namespace kst {
namespace {

bool HasChild(const Subprogram& s, int record) {
  for (int child : s.childRecords)
    if (child == record) return true;
  return false;
}

TEST(SystemToolBoxes, TwoBoxesAtOnceRunOnRecordsOfTheirOwn) {
  LoadBuiltInTexts();
  std::mutex mutex;
  std::condition_variable bothOpen;
  std::vector<int> records;
  // Each box stays open until the other one is open too.
  SetAskHandler([&](const AskRequest& r) {
    std::unique_lock<std::mutex> lock(mutex);
    records.push_back(r.boxRecord);
    bothOpen.notify_all();
    bothOpen.wait_for(lock, std::chrono::seconds(5), [&] { return records.size() >= 2; });
    return kAnswerOk;
  });
  ProgramMaster pm;
  pm.ownId = 7;
  ProcessRecord own;
  own.processId = 7;
  pm.list = {own};
  pm.selected = 0;
  FormatInterface fi;
  fi.formatting = true;
  std::thread master([&] { EndSelected(pm, ProcessSource{}, false); });
  std::thread format([&] { MayClose(fi); });
  master.join();
  format.join();
  SetAskHandler(nullptr);

  ASSERT_EQ(records.size(), 2u);
  EXPECT_NE(records[0], records[1]);
  const Subprogram& masterProgram = GetSubprogram(kProgramMaster);
  const Subprogram& formatProgram = GetSubprogram(kFormatInterface);
  EXPECT_TRUE(HasChild(masterProgram, pm.boxRecord));
  EXPECT_TRUE(HasChild(formatProgram, fi.boxRecord));
  // The message-box records that belong to other subprograms' threads.
  const int kTaken[] = {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 37, 38, 41, 44, 45};
  for (int taken : kTaken)
    for (int record : records) EXPECT_NE(taken, record);
  for (int id = 0; id < kSubprogramCount; ++id) {
    if (id == kProgramMaster || id == kFormatInterface) continue;
    const Subprogram& other = GetSubprogram(id);
    for (int record : records) {
      EXPECT_NE(other.record, record) << id;
      EXPECT_FALSE(HasChild(other, record)) << id;
    }
  }
}

}  // namespace
}  // namespace kst
