#pragma once

#include <vector>

#include "core/estimation.h"

namespace varnel::testing_support {

/// A progress sink that keeps the maximum and every position it is given, in order.
class RecordingProgress : public ProgressSink {
public:
    void SetMaximum(int maximum) override { maximum_ = maximum; }
    void SetPosition(int position) override { positions_.push_back(position); }
    int maximum_ = 0;
    std::vector<int> positions_;
};

}  // namespace varnel::testing_support
