// Which drives count as removable, with drives of every kind emulated.
#include <gtest/gtest.h>

#include "frame/files/folders.h"
#include "frame/platform/emulation.h"

using namespace kst;

TEST(RemovableDrivesPosix, OnlyRemovableDrivesInLetterOrder) {
  const std::pair<char, uint32_t> drives[] = {
      {'M', plat::kDriveRemovable}, {'B', plat::kDriveRemovable}, {'N', plat::kDriveFixed},
      {'O', plat::kDriveCdRom},     {'P', plat::kDriveRamDisk},
  };
  for (const auto& [letter, type] : drives) {
    plat::EmulatedDrive d;
    d.hostFolder = "/tmp";
    d.type = type;
    plat::EmuMapDrive(letter, d);
  }
  plat::EmuUnmapDrive('A');
  std::vector<std::string> found = ListRemovableDrives();
  for (const auto& entry : drives) plat::EmuUnmapDrive(entry.first);
  EXPECT_EQ(found, (std::vector<std::string>{"B:\\", "M:\\"}));
}
