#include "app/bootstrap_runner.h"

#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>

#include "core/varnel_error.h"

namespace varnel::app {

/// What the worker thread reads and writes: the job, the stop request, the progress and the
/// message of a failure (read only after the thread has finished).
struct BootstrapRunner::Run : ProgressSink {
    Job job;
    std::atomic<bool> cancel{false};
    std::atomic<int> maximum{0};
    std::atomic<int> position{0};
    std::string error;

    void SetMaximum(int value) override { maximum = value; }
    void SetPosition(int value) override { position = value; }

    void Execute() {
        try {
            job(*this, cancel);
        } catch (const std::exception& e) {
            error = UserMessageOf(e);
        }
    }
};

namespace {
constexpr int kProgressIntervalMilliseconds = 100;
}  // namespace

BootstrapRunner::BootstrapRunner(QObject* parent) : QObject(parent) {
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressIntervalMilliseconds);
    connect(progressTimer_, &QTimer::timeout, this, [this] { ReportProgress(); });
}

BootstrapRunner::~BootstrapRunner() { Abandon(); }

void BootstrapRunner::Start(const AnalysisState& state, int B, std::uint32_t seed,
                            ConfidenceLevel level, ProgressCallback progress,
                            FinishedCallback finished) {
    if (Running()) return;
    // The job's own copy of the analysis, and where it leaves the result for `finished`.
    std::shared_ptr<const AnalysisState> copy = std::make_unique<AnalysisState>(state);
    auto result = std::make_shared<std::optional<methods::BootstrapResult>>();
    StartJob(
        [copy, result, B, seed, level](ProgressSink& sink, const std::atomic<bool>& cancel) {
            *result = methods::RunBootstrap(*copy, B, seed, level, &sink, &cancel);
        },
        std::move(progress),
        [result, finished = std::move(finished)](const std::string& error) {
            if (finished) finished({std::move(*result), error});
        });
}

void BootstrapRunner::StartJob(Job job, ProgressCallback progress,
                               std::function<void(const std::string& error)> finished) {
    if (Running()) return;
    run_ = std::make_shared<Run>();
    run_->job = std::move(job);
    progress_ = std::move(progress);
    finished_ = std::move(finished);
    thread_ = QThread::create([run = run_] { run->Execute(); });
    // Queued to this object's thread: the end is handled where the windows live. An end
    // already queued when its run was abandoned finds another run, or none, and is dropped.
    connect(thread_, &QThread::finished, this, [this, run = std::weak_ptr<Run>(run_)] {
        if (run.lock() == run_) Finish();
    });
    progressTimer_->start();
    thread_->start();
}

void BootstrapRunner::Cancel() {
    if (run_) run_->cancel = true;
}

void BootstrapRunner::Abandon() {
    if (!Running()) return;
    run_->cancel = true;
    thread_->disconnect(this);
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    run_.reset();
    progressTimer_->stop();
}

void BootstrapRunner::ReportProgress() {
    if (run_ && progress_) progress_(run_->maximum, run_->position);
}

void BootstrapRunner::Finish() {
    if (!Running()) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    progressTimer_->stop();
    ReportProgress();
    const std::shared_ptr<Run> run = std::move(run_);
    if (finished_) finished_(run->error);
}

}  // namespace varnel::app
