#pragma once

#include <QProgressBar>

#include "core/estimation.h"

namespace varnel::app {

/// Shows the estimation's progress on a progress bar. The command processes no events, so
/// each step repaints the bar at once.
class ProgressBarSink : public ProgressSink {
public:
    explicit ProgressBarSink(QProgressBar& bar) : bar_(bar) {}
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;

private:
    QProgressBar& bar_;
};

}  // namespace varnel::app
