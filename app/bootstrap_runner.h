#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "methods/methods.h"

class QThread;
class QTimer;

namespace varnel::app {

/// The resample count boxes' step and first value.
inline constexpr int kResampleStep = 100;
inline constexpr int kDefaultResamples = 1000;

/// How a bootstrap run ended: with its result, with the message of its error, or cancelled
/// (neither).
struct BootstrapOutcome {
    std::optional<methods::BootstrapResult> result;
    std::string error;
};

/// Runs a bootstrap on a worker thread: the Methods window's over its own copy of an analysis,
/// or any job that reports progress and stops when asked (the Ellipsoid window's), so that the
/// windows stay responsive and no window's state is touched. Progress and the end are reported
/// on the thread that owns the runner, through the callbacks given to Start or StartJob.
class BootstrapRunner : public QObject {
public:
    using ProgressCallback = std::function<void(int maximum, int position)>;
    using FinishedCallback = std::function<void(const BootstrapOutcome&)>;
    /// Work for the worker thread: reports to the sink and stops soon after `cancel` turns true.
    using Job = std::function<void(ProgressSink& progress, const std::atomic<bool>& cancel)>;

    explicit BootstrapRunner(QObject* parent = nullptr);
    /// Stops a running bootstrap and waits for its thread.
    ~BootstrapRunner() override;

    /// Starts B resamples of a copy of `state` at `level`; nothing when one is running.
    void Start(const AnalysisState& state, int B, std::uint32_t seed, ConfidenceLevel level,
               ProgressCallback progress, FinishedCallback finished);
    /// Starts `job` on the worker thread; nothing when one is running. `finished` hears the
    /// message of what the job threw, or an empty text when it returned (cancelled or not).
    void StartJob(Job job, ProgressCallback progress,
                  std::function<void(const std::string& error)> finished);
    /// Asks the running bootstrap to stop; its end is reported as cancelled.
    void Cancel();
    /// Stops the running bootstrap and waits for its thread; its end is not reported.
    void Abandon();
    bool Running() const { return thread_ != nullptr; }

private:
    struct Run;
    void ReportProgress();
    void Finish();

    std::shared_ptr<Run> run_;
    QThread* thread_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    ProgressCallback progress_;
    std::function<void(const std::string& error)> finished_;
};

}  // namespace varnel::app
