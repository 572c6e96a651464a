#pragma once
// Key strokes sent to the program's own active window, as if typed.
#include <QString>

namespace ark::desktop {

// Sends `keys` to the widget that has the focus when each key is delivered. "{tab}" is the
// Tab key (the focus moves to the next control in tab order, passing over hidden and
// disabled ones), "{enter}" and "~" are Enter, "{c}" is the character c itself; every
// other character is typed as it stands. With `wait` the keys are delivered before the
// call returns; without it they follow once the current event has been handled.
void SendKeys(const QString& keys, bool wait = false);

}  // namespace ark::desktop
