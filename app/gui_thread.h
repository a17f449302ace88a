// Runs a piece of work on the user-interface thread and waits for it, so that
// code on a worker thread (a batch run, a load) can show a message box or ask
// a question. On the user-interface thread the work simply runs.
#pragma once

#include <functional>

namespace veska::app {

void OnGuiThread(const std::function<void()>& work);

}  // namespace veska::app
