// A title with the line under it, as the pages and the control faces keep their fixed texts (the
// Russian source texts, translated when drawn).
#pragma once

namespace pm::detail {

struct TextPair {
    const wchar_t* title;
    const wchar_t* subtitle;
};

}  // namespace pm::detail
