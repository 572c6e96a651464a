#pragma once
// The mouse pointer of the program: the hourglass while a job runs.
namespace ark::desktop {

enum MousePointer : int { vbDefault = 0, vbHourglass = 11 };

// 11 shows the hourglass over every window, 0 takes it away. Setting the hourglass twice
// needs one reset; a reset without an hourglass does nothing. Other values are the default.
void setMousePointer(int pointer);
int mousePointer();

}  // namespace ark::desktop
