// The run: guard, number check, open, read back, convert, captions, report.
#include "cipher/conversion_run.h"

#include <optional>
#include <utility>

#include "cipher/conversion_job.h"
#include "cipher/file.h"
#include "cipher/status_captions.h"

namespace pomuru {

namespace {

// Alternates the two wait captions at a pace a person can follow; setting the caption for
// every block would cost more than the conversion.
class WaitCaptions final : public ProgressObserver {
public:
    explicit WaitCaptions(ConversionHost& host) : host_(host) { Show(kWaitCaption); }

    void OnProgress(std::int64_t) override {
        if (Clock::now() - shownAt_ >= kCaptionInterval) {
            Show(current_ == kWaitCaption ? kWaitElsewhereCaption : kWaitCaption);
        }
    }

    // Both captions appear at least once, however short the run.
    void Finish() {
        if (!elsewhereShown_) {
            Show(kWaitElsewhereCaption);
        }
    }

private:
    using Clock = std::chrono::steady_clock;

    void Show(const char* caption) {
        current_ = caption;
        elsewhereShown_ = elsewhereShown_ || caption == kWaitElsewhereCaption;
        host_.SetStatusTitle(caption);
        shownAt_ = Clock::now();
    }

    ConversionHost& host_;
    const char* current_ = nullptr;
    bool elsewhereShown_ = false;
    Clock::time_point shownAt_;
};

}  // namespace

void ConvertFile(ConversionHost& host) {
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
    host.SetStatusTitle(kRunningCaption);

    host.ReadBack();
    host.Redisplay();
    const ConversionFields fields = host.Fields();
    const CipherParams params{fields.step, fields.value, fields.start, fields.slide,
                              host.IsRandomizeChecked()};

    WaitCaptions captions(host);
    std::optional<FileError> failure;
    try {
        job->Run(params, &captions);
        captions.Finish();
    } catch (const FileError& error) {
        failure = error;
    }
    host.SetStatusTitle(kDialogCaption);
    if (failure) {
        host.ReportFailure(*failure);
    }
}

}  // namespace pomuru
