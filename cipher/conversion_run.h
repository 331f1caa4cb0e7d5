// The run behind the dialog's run button, written against the few operations of its host.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "base/file_error.h"

namespace pomuru {

// The dialog's fields that a run reads.
struct ConversionFields {
    std::string source;  // m_strSource
    std::string dest;    // m_strDest
    std::int32_t step = 0;
    std::int32_t value = 0;
    std::int32_t start = 0;
    std::int32_t slide = 0;
};

// How far a run has come, for a display beside the caption (the task bar's button).
struct RunProgress {
    enum class State {
        None,           // no run: nothing shown
        Normal,         // running: the fraction done
        Indeterminate,  // running towards an end that is not known (a pipe)
        Error,          // failed where the fraction stands: shown while the failure is reported
    };
    State state = State::None;
    double fraction = 0;  // of the source converted, 0 to 1
};

// What a run needs of the dialog that hosts it.
class ConversionHost {
public:
    virtual ~ConversionHost() = default;

    virtual ConversionFields Fields() const = 0;
    // Copies all controls into the fields.
    virtual void ReadBack() = 0;
    // Copies all fields into the controls.
    virtual void Redisplay() = 0;
    // Replaces the caption and draws it at once, although the thread stays busy.
    virtual void SetStatusTitle(const std::string& text) = 0;
    virtual bool IsRandomizeChecked() const = 0;
    // Checks the numeric boxes without changing any field; reports the first bad one as a
    // read-back would, and returns false then.
    virtual bool CheckNumbers() = 0;
    // Tells the user that the run failed, naming the file and the system's reason.
    virtual void ReportFailure(const FileError& error) = 0;
    // Shows how far the run has come outside the caption; the captions stay as they are.
    virtual void ShowProgress(const RunProgress& progress) = 0;
};

// The captions a run shows, which are its host's texts.
struct RunCaptions {
    std::string running;        // once the files are open
    std::string wait;           // these two take turns while it converts
    std::string waitElsewhere;  //
    std::string done;           // at the end: the host's own caption again
};

// How often the two wait captions take turns.
inline constexpr std::chrono::milliseconds kCaptionInterval{300};
// How often the progress beside the caption moves, at most.
inline constexpr std::chrono::milliseconds kProgressInterval{100};

// Converts the source field's file into the destination field's file. Returns silently when
// either path is empty or both name the same file.
void ConvertFile(ConversionHost& host, const RunCaptions& captions);

}  // namespace pomuru
