#pragma once

#include <functional>

namespace varnel {

/// Runs task(part) for part = 0 … parts − 1 and returns when all are done. The parts run at
/// the same time on the caller (part 0) and a pool of worker threads created once per process;
/// parts beyond ParallelWidth() run one after another. A run started inside a part, or while
/// another thread's run holds the pool, runs its parts one after another on the calling thread.
/// A part that throws ends the run: parts not yet started are skipped, those running finish,
/// and the exception of the lowest-numbered part that threw is rethrown on the calling thread
/// (the same one a loop over the parts in order would meet first).
void RunInParallel(int parts, const std::function<void(int part)>& task);

/// How many parts RunInParallel runs at the same time: the caller and the pool's workers.
int ParallelWidth();

/// Runs task(begin, end) over the items 0 … count − 1 in consecutive ranges of `grain` items,
/// by RunInParallel; a single range runs on the calling thread without starting the pool. The
/// items of one range go in order, and an exception is the one a loop over all items in order
/// would meet first.
void RunRangesInParallel(int count, int grain, const std::function<void(int begin, int end)>& task);

}  // namespace varnel
