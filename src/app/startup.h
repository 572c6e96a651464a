#pragma once
class QApplication;

namespace ark::app {
// Starts the program on its splash window and runs the event loop.
int run(QApplication& app);
}  // namespace ark::app
