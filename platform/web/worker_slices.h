// The browser's side of the worker (see threads.h): with no threads, the
// worker's steps run on the main thread, in slices between the iterations of
// the main loop. Main thread only.
#pragma once

// Runs worker steps until the worker is done or about budgetMs milliseconds
// have passed; does nothing when no worker is running.
void RunWorkerSlice(double budgetMs);
