// The completion post with the posting call as a parameter, for tests of a queue that refuses posts.
#pragma once

#include <windows.h>

namespace pm {

using PostMessageFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

bool postCompletionRecordWith(PostMessageFn post, UINT message, LPARAM record, DWORD budgetMs);

}  // namespace pm
