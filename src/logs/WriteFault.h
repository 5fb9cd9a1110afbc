#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brennic {

// Writing records to a disk that may fill up or fail, the same way for every writer (daily
// log, Summary.txt, and any other file Brennic appends records to):
//  - a record is written whole or not at all: a failed or short write is cut back to where the
//    record began, so no torn line is left for the next record to be glued to;
//  - the first failure of a stretch is reported once, never as success; every record that
//    could not be written is counted;
//  - the writer keeps trying with each new record, and the first one written after a stretch
//    of failures reports once that writing resumed and how many records were lost.
// A writer keeps one WriteFault per file it writes, under the lock that guards the writer;
// it calls AppendWholeRecord, then NoteWriteResult, and shows the text of the news it gets.

// What one writer knows about its failed writes.
struct WriteFault {
    bool failing = false;       // the last attempt failed
    int lastError = 0;          // errno of the last failure
    std::int64_t lost = 0;      // records not written since the program started
    std::int64_t lostNow = 0;   // records not written in the current (or last) failure stretch
    std::int64_t failures = 0;  // failure stretches since the program started
};

// Appends `record` at the end of the open descriptor `fd` whole or not at all. Returns 0, or
// the errno value of the failure (the file then has the length it had before). Any thread; one
// writer per descriptor at a time.
int AppendWholeRecord(int fd, std::string_view record);

// What a writer has to tell after one attempt.
enum class WriteNews { kNone, kFailed, kResumed };

// Records the result of one attempt to write one record (`error` 0 for success) and says what
// to tell: kFailed for the first failure of a stretch, kResumed for the first success after
// one, kNone otherwise. Caller holds the writer's lock.
WriteNews NoteWriteResult(WriteFault& fault, int error);

// Whether an error means "no room" (a full disk or a quota), which passes by itself, as
// opposed to a fault that needs the user (a missing folder, no permission).
bool IsNoSpace(int error);

// The texts of the news for the file `what` (a path or a name):
// "Cannot write <what>: <system text>. Records are counted until writing works again."
std::string WriteFailedText(std::string_view what, const WriteFault& fault);
// "Writing <what> resumed; <n> record(s) could not be written."
std::string WriteResumedText(std::string_view what, const WriteFault& fault);

}  // namespace brennic
