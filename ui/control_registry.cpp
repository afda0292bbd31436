#include "ui/control_registry.h"

namespace pm::ui {

std::map<int, HWND> controlRegistry;

}  // namespace pm::ui
