// The write-out's lines on their way to the output file. Full buffers go to a thread of their own,
// which reads them line by line into the self-check and then writes them, while the run's thread
// reads the next rows back from the store: the self-check costs the write-out nothing on a
// second core.
//
// Threads: the owner makes every call. Between the first write and finish(), the file and the
// self-check belong to the checking thread; the owner touches them again only after finish()
// returns or the object is gone.
#pragma once

#include <string>
#include <string_view>

#include "batch_thread.h"
#include "file_system.h"
#include "self_check.h"

namespace brelin {

class CheckedOutput {
public:
    // As large as the output file's own buffer, which then writes it at once, on this thread.
    static constexpr size_t kBufferSize = 1 << 20;

    // file and check must outlive this object.
    CheckedOutput(OutputFile& file, SelfCheck& check);
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    // Writes lines, one or more lines joined by CR LF, then a CR LF. Throws the failure of an
    // earlier buffer's writing.
    void writeLines(std::string_view lines);
    // Writes lines of which the last goes on in the next write: no CR LF after them.
    void writeUnended(std::string_view lines);
    // Hands the last buffer over and waits until every line is read and written; throws the
    // failure of any of it.
    void finish();

private:
    void handOver();
    // On the checking thread: the lines of buffer; the last may go on in the next buffer, and the
    // first may end a line begun in the previous one.
    void check(const std::string& buffer);

    OutputFile& file_;
    SelfCheck& check_;
    std::string buffer_;
    BatchThread<std::string> thread_;  // last: gone first, waiting for what uses the rest
};

}  // namespace brelin
