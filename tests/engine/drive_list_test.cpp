#include "engine/drives.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace pm {
namespace {

TEST(DriveList, LocalDrivesInLetterOrderAndTheErrorModeRestored) {
    DWORD before = 0;
    ASSERT_TRUE(SetThreadErrorMode(SEM_NOOPENFILEERRORBOX, &before));
    const std::vector<DriveInfo> drives = listDrives();
    EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_NOOPENFILEERRORBOX));
    SetThreadErrorMode(before, nullptr);

    ASSERT_FALSE(drives.empty());
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
    bool systemDrive = false;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const DriveInfo& drive = drives[i];
        SCOPED_TRACE(testing::PrintToString(drive.root));
        ASSERT_EQ(drive.root.size(), 3u);
        EXPECT_EQ(drive.root.substr(1), L":\\");
        if (i > 0) {
            EXPECT_LT(drives[i - 1].root, drive.root);
        }
        UINT type = GetDriveTypeW(drive.root.c_str());
        EXPECT_TRUE(type == DRIVE_REMOVABLE || type == DRIVE_FIXED || type == DRIVE_RAMDISK) << type;
        EXPECT_GT(drive.totalBytes, 0u);
        EXPECT_LE(drive.availableBytes, drive.totalBytes);
        systemDrive = systemDrive || towupper(drive.root[0]) == towupper(windows[0]);
    }
    EXPECT_TRUE(systemDrive);
}

}  // namespace
}  // namespace pm
