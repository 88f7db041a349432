#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace varnel::testing_support {

/// Long enough for a few hundred bootstrap resamples on a loaded machine.
inline constexpr qint64 kPatienceMilliseconds = 120000;

/// Processes events until `done` or the patience runs out; false when it ran out.
inline bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > kPatienceMilliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace varnel::testing_support
