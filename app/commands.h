// The main window's commands: navigation, operations, selections and settings buttons.
#pragma once

namespace pm {

// A click (notification 0) of the main window's control or menu item id.
void onCommand(int id);

}  // namespace pm
