// Run by drive_types_test.sh in a Wine prefix of its own, to which it adds one drive of each type:
//   D: optical, E: removable with media, F: removable without media (a dangling link), N: network, R: RAM disk.
#include "engine/drives.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace pm {
namespace {

TEST(DriveList, OnlyFixedRemovableWithMediaAndRamDrives) {
    if (std::getenv("PM_DRIVE_TYPES_PREFIX") == nullptr)
        GTEST_SKIP() << "needs the prefix that drive_types_test.sh lays out";
    // The layout took effect: every type is there to be left out or listed.
    const struct {
        const wchar_t* root;
        UINT type;
    } laidOut[] = {{L"C:\\", DRIVE_FIXED},     {L"D:\\", DRIVE_CDROM},  {L"E:\\", DRIVE_REMOVABLE},
                   {L"F:\\", DRIVE_REMOVABLE}, {L"N:\\", DRIVE_REMOTE}, {L"R:\\", DRIVE_RAMDISK},
                   {L"Z:\\", DRIVE_FIXED}};
    for (const auto& drive : laidOut)
        ASSERT_EQ(GetDriveTypeW(drive.root), drive.type) << testing::PrintToString(std::wstring(drive.root));

    std::vector<std::wstring> roots;
    for (const DriveInfo& drive : listDrives()) {
        roots.push_back(drive.root);
        EXPECT_GT(drive.totalBytes, 0u);
        EXPECT_LE(drive.availableBytes, drive.totalBytes);
    }
    // F: has no media and is left out; the drives after it are still listed.
    EXPECT_EQ(roots, (std::vector<std::wstring>{L"C:\\", L"E:\\", L"R:\\", L"Z:\\"}));
}

}  // namespace
}  // namespace pm
