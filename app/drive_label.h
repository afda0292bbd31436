// A drive's root and a listed path as every window shows them.
#pragma once

#include "engine/drives.h"
#include "services/i18n/translate.h"

#include <string>

namespace pm {

// In right-to-left reading the colon and backslashes of a path move before the letters they follow ("\:C");
// a left-to-right mark keeps it reading left to right. Only there: some fonts draw the mark as a box.
inline const wchar_t* leftToRightMarkIfNeeded() { return isRightToLeft() ? L"\u200E" : L""; }

// The root, with the mark after "C:\".
inline std::wstring driveLabel(const DriveInfo& drive) { return drive.root + leftToRightMarkIfNeeded(); }

// A path in a list, with the mark before it, so that a right-to-left list shows the whole path as it is.
inline std::wstring listedPath(const std::wstring& path) { return leftToRightMarkIfNeeded() + path; }

}  // namespace pm
