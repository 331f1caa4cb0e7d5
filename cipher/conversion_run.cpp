// The run: guard, number check, open, read back, convert, captions, report.
#include "cipher/conversion_run.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/file.h"
#include "cipher/conversion_job.h"

namespace pomuru {

namespace {

using Clock = std::chrono::steady_clock;

// Alternates the two wait captions at a pace a person can follow; setting the caption for
// every block would cost more than the conversion.
class WaitCaptions {
public:
    WaitCaptions(ConversionHost& host, const RunCaptions& captions)
        : host_(host), captions_(captions) {
        Show(captions_.wait);
    }

    void OnProgress() {
        if (Clock::now() - shownAt_ >= kCaptionInterval) {
            Show(showingWait_ ? captions_.waitElsewhere : captions_.wait);
        }
    }

    // Both captions appear at least once, however short the run.
    void Finish() {
        if (!elsewhereShown_) {
            Show(captions_.waitElsewhere);
        }
    }

private:
    void Show(const std::string& caption) {
        showingWait_ = &caption == &captions_.wait;
        elsewhereShown_ = elsewhereShown_ || !showingWait_;
        host_.SetStatusTitle(caption);
        shownAt_ = Clock::now();
    }

    ConversionHost& host_;
    const RunCaptions& captions_;
    bool showingWait_ = false;
    bool elsewhereShown_ = false;
    Clock::time_point shownAt_;
};

// The fraction of the source done, beside the caption, from the start of the conversion until
// it goes away: cleared at the end whatever happened, after a failure has been reported. A
// source of unknown size (a pipe) shows that it runs, not how far.
class ProgressBeside {
public:
    ProgressBeside(ConversionHost& host, std::optional<std::int64_t> sourceSize)
        : host_(host), total_(sourceSize.value_or(0)) {
        Show(0);
    }
    ~ProgressBeside() {
        try {
            host_.ShowProgress({});
        } catch (...) {  // nothing more to show then
        }
    }
    ProgressBeside(const ProgressBeside&) = delete;
    ProgressBeside& operator=(const ProgressBeside&) = delete;

    void OnProgress(std::int64_t done) {
        if (total_ > 0 && Clock::now() - shownAt_ >= kProgressInterval) {
            Show(done);
        }
    }
    void Finish() {
        if (total_ > 0) {
            Show(total_);
        }
    }
    void Fail() { host_.ShowProgress({RunProgress::State::Error, fraction_}); }

private:
    void Show(std::int64_t done) {
        fraction_ = total_ > 0 ? std::min(1.0, static_cast<double>(done) / total_) : 0;
        host_.ShowProgress(
            {total_ > 0 ? RunProgress::State::Normal : RunProgress::State::Indeterminate,
             fraction_});
        shownAt_ = Clock::now();
    }

    ConversionHost& host_;
    const std::int64_t total_;  // 0: not known
    double fraction_ = 0;
    Clock::time_point shownAt_;
};

// What the host shows of a conversion while it runs: the captions, then the progress.
class RunDisplay final : public ProgressObserver {
public:
    RunDisplay(ConversionHost& host, const RunCaptions& captions,
               std::optional<std::int64_t> sourceSize)
        : captions_(host, captions), progress_(host, sourceSize) {}

    void OnProgress(std::int64_t done) override {
        captions_.OnProgress();
        progress_.OnProgress(done);
    }
    void Finish() {
        captions_.Finish();
        progress_.Finish();
    }
    void Fail() { progress_.Fail(); }

private:
    WaitCaptions captions_;
    ProgressBeside progress_;
};

}  // namespace

void ConvertFile(ConversionHost& host, const RunCaptions& captions) {
    // The guard sees the fields as they stood before this command.
    const ConversionFields before = host.Fields();
    if (before.source.empty() || before.dest.empty() || before.source == before.dest) {
        return;
    }
    if (!host.CheckNumbers()) {
        return;
    }
    std::optional<ConversionJob> job;
    try {
        // The source first: when it cannot be opened, the destination is not even created.
        File source = File::OpenForReading(before.source);
        job = ConversionJob::Prepare(std::move(source), File::OpenForWriting(before.dest));
    } catch (const FileError& error) {
        host.ReportFailure(error);
        return;
    }
    // One file under two names is left alone as silently as one name twice.
    if (!job) {
        return;
    }
    host.SetStatusTitle(captions.running);

    host.ReadBack();
    host.Redisplay();
    const ConversionFields fields = host.Fields();
    const CipherParams params{fields.step, fields.value, fields.start, fields.slide,
                              host.IsRandomizeChecked()};

    RunDisplay display(host, captions, job->SourceSize());
    std::optional<FileError> failure;
    try {
        job->Run(params, &display);
        display.Finish();
    } catch (const FileError& error) {
        failure = error;
        display.Fail();
    }
    host.SetStatusTitle(captions.done);
    if (failure) {
        host.ReportFailure(*failure);
    }
}

}  // namespace pomuru
