// One painter's own frame text list: installed as frameTextList while the painter runs, the previous list
// put back afterwards (also when the painter throws), then drawn, so every text lands on every shape.
#pragma once

#include "ui/text_list.h"

#include <windows.h>

namespace pm::ui {

template <typename Painter>
void paintWithFrameTexts(HDC dc, Painter&& paint) {
    TextList list(&fontCache);  // reserves room for 64 items
    struct Restore {
        TextList* saved = frameTextList;
        ~Restore() { frameTextList = saved; }
    };
    {
        Restore restore;
        frameTextList = &list;
        paint();
    }
    flushTextItems(list, dc);
}

}  // namespace pm::ui
