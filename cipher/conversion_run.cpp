// The run: guard, number check, open, read back, convert, captions, report.
#include "cipher/conversion_run.h"

#include <optional>
#include <utility>

#include "base/file.h"
#include "cipher/conversion_job.h"

namespace pomuru {

namespace {

// Alternates the two wait captions at a pace a person can follow; setting the caption for
// every block would cost more than the conversion.
class WaitCaptions final : public ProgressObserver {
public:
    WaitCaptions(ConversionHost& host, const RunCaptions& captions)
        : host_(host), captions_(captions) {
        Show(captions_.wait);
    }

    void OnProgress(std::int64_t) override {
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
    using Clock = std::chrono::steady_clock;

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

    WaitCaptions waitCaptions(host, captions);
    std::optional<FileError> failure;
    try {
        job->Run(params, &waitCaptions);
        waitCaptions.Finish();
    } catch (const FileError& error) {
        failure = error;
    }
    host.SetStatusTitle(captions.done);
    if (failure) {
        host.ReportFailure(*failure);
    }
}

}  // namespace pomuru
