#include "app/main_pages.h"

namespace pm {

// placeholder: the navigation band, the pages and the status area come with the page painters.
void paintMainContent(HDC) {}

}  // namespace pm
