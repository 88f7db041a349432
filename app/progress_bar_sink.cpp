#include "app/progress_bar_sink.h"

namespace varnel::app {

void ProgressBarSink::SetMaximum(int maximum) {
    bar_.setRange(0, maximum);
    bar_.repaint();
}

void ProgressBarSink::SetPosition(int position) {
    bar_.setValue(position);
    bar_.repaint();
}

}  // namespace varnel::app
