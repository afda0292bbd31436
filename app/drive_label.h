// A drive's root as every window shows it.
#pragma once

#include "engine/drives.h"
#include "services/i18n/translate.h"

#include <string>

namespace pm {

// Right-to-left reading would move the colon and backslash of "C:\" before the letter; a left-to-right
// mark after them keeps the root reading left to right. Only there: some fonts draw the mark as a box.
inline std::wstring driveLabel(const DriveInfo& drive) {
    return isRightToLeft() ? drive.root + L"\u200E" : drive.root;
}

}  // namespace pm
