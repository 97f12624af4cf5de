#pragma once

#include <functional>

namespace tunexa::app {

// Runs the program: the application object, the real platform services, start-up and the event
// loop. `whenIdle`, if given, runs once the window is up and the event queue is empty (the
// start-up benchmark uses it to stop the clock); the program then goes on as usual.
int runProgram(int argc, char** argv, const std::function<void()>& whenIdle = {});

}  // namespace tunexa::app
