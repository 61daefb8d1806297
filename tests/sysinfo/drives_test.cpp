#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sysinfo/drives.h"

namespace lmr {
namespace {

constexpr unsigned kUnknown = 0, kNoRootDir = 1, kRemovable = 2, kRemote = 4, kCdRom = 5, kRamDisk = 6;

struct FakeDrive {
  unsigned type = kNoRootDir;
  bool canQuery = true;
  TDiskSpace space;
};

class FakeDrives : public TDriveProbe {
 public:
  std::map<std::string, FakeDrive> drives;
  std::vector<std::string> typeQueries;
  std::vector<std::string> sizeQueries;

  unsigned DriveType(const std::string& root) override {
    typeQueries.push_back(root);
    auto it = drives.find(root);
    return it == drives.end() ? kNoRootDir : it->second.type;
  }
  bool CanQueryDisk(const std::string& root) override {
    sizeQueries.push_back(root);
    return drives.at(root).canQuery;
  }
  TDiskSpace DiskSpace(const std::string& root) override {
    sizeQueries.push_back(root + " ex");
    return drives.at(root).space;
  }
};

const std::string kFixedText = "The disk cannot be removed from the drive.";

TEST(GetFixedDrives, ListsFixedDrivesInLetterOrderAndSizesOnlyThem) {
  FakeDrives probe;
  probe.drives["A:\\"] = {kRemovable, true, {}};
  probe.drives["C:\\"] = {kDriveFixed, true, {20971520000, 40000000000}};
  probe.drives["D:\\"] = {kCdRom, true, {}};
  probe.drives["E:\\"] = {kDriveFixed, false, {}};
  probe.drives["F:\\"] = {kRemote, true, {}};
  probe.drives["G:\\"] = {kRamDisk, true, {}};
  probe.drives["H:\\"] = {kUnknown, true, {}};
  probe.drives["Z:\\"] = {kDriveFixed, true, {1048575, 1048576}};

  TUU_NDDrivesInfo drives(2);
  drives[0].Name = "stale";
  GetFixedDrives(probe, drives);

  std::vector<std::string> letters;
  for (char l = 'A'; l <= 'Z'; ++l) letters.push_back(std::string(1, l) + ":\\");
  EXPECT_EQ(probe.typeQueries, letters);
  EXPECT_EQ(probe.sizeQueries, (std::vector<std::string>{"C:\\", "C:\\ ex", "E:\\", "Z:\\", "Z:\\ ex"}));

  ASSERT_EQ(drives.size(), 3u);
  const struct {
    std::string name, infoEx;
    int64_t free, total;
  } expected[] = {
      {"C:\\", "", 20000, 38146},
      {"E:\\", "Cannot get disk info", 0, 0},
      {"Z:\\", "", 0, 1},
  };
  for (size_t i = 0; i < drives.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(drives[i].Name, expected[i].name);
    EXPECT_EQ(drives[i].DriveTypeInfo, kFixedText);
    EXPECT_EQ(drives[i].DriveTypeWinConst, "DRIVE_FIXED");
    EXPECT_EQ(drives[i].InfoEx, expected[i].infoEx);
    EXPECT_EQ(drives[i].FreeSpace, expected[i].free);
    EXPECT_EQ(drives[i].TotalSpace, expected[i].total);
  }
}

TEST(GetFixedDrives, NoFixedDriveGivesAnEmptyList) {
  FakeDrives probe;
  probe.drives["D:\\"] = {kCdRom, true, {}};
  TUU_NDDrivesInfo drives(1);
  GetFixedDrives(probe, drives);
  EXPECT_TRUE(drives.empty());
  EXPECT_TRUE(probe.sizeQueries.empty());
}

TEST(FillDriveInfo, StartsFromAResetRecord) {
  FakeDrives probe;
  probe.drives["C:\\"] = {kDriveFixed, false, {}};
  probe.drives["D:\\"] = {kDriveFixed, true, {}};  // the size figures failed: zeros
  probe.drives["E:\\"] = {kDriveFixed, true, {uint64_t{5} << 40, uint64_t{6} << 40}};

  TUU_NDDriveInfo info;
  FillDriveInfo(probe, "DRIVE_FIXED", kFixedText, "C:\\", info);
  EXPECT_EQ(info.InfoEx, "Cannot get disk info");

  FillDriveInfo(probe, "CONST", "description", "D:\\", info);
  EXPECT_EQ(info.Name, "D:\\");
  EXPECT_EQ(info.DriveTypeInfo, "description");
  EXPECT_EQ(info.DriveTypeWinConst, "CONST");
  EXPECT_EQ(info.InfoEx, "");
  EXPECT_EQ(info.FreeSpace, 0);
  EXPECT_EQ(info.TotalSpace, 0);

  FillDriveInfo(probe, "DRIVE_FIXED", kFixedText, "E:\\", info);
  EXPECT_EQ(info.FreeSpace, int64_t{5} << 20);
  EXPECT_EQ(info.TotalSpace, int64_t{6} << 20);
  FillDriveInfo(probe, "DRIVE_FIXED", kFixedText, "C:\\", info);
  EXPECT_EQ(info.FreeSpace, 0);
  EXPECT_EQ(info.TotalSpace, 0);
}

}  // namespace
}  // namespace lmr
