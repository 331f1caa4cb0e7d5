// Windows delivers a console interrupt on a thread of its own while the run goes on writing.
// Every write passes the gate; the interrupt clean-up closes it for good, so that it cuts the
// destination back only between two writes and no write follows.
#pragma once

namespace pomuru {

class WriteGate {
public:
    // Waits while the clean-up runs, that is until the process ends.
    WriteGate();
    ~WriteGate();
    WriteGate(const WriteGate&) = delete;
    WriteGate& operator=(const WriteGate&) = delete;
};

}  // namespace pomuru
