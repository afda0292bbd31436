#include "app/owner_buttons.h"

namespace pm {

// placeholder: the control faces (navigation entries, buttons, cards, switches, segments, swatches, the
// language list) come with the owner-drawn controls; until then a control keeps the parent's background.
void drawOwnerButton(const DRAWITEMSTRUCT&) {}
void drawOptionRow(const std::wstring&, const std::wstring&, float, float, float, float, float, std::uint32_t,
                   std::uint32_t, bool, bool) {}

}  // namespace pm
