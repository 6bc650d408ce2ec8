#include "win32/served_shellfiles_win32.h"

#include <process.h>

#include "win32/handles_win32.h"
#include "win32/window_win32.h"

namespace zb {

namespace {

struct Job {
    IShellFiles& real;
    const ShFileOp& op;
    bool aborted = false;
    int result = -1;  // an operation that never ran is no success
};

unsigned __stdcall work(void* arg) {
    Job& job = *static_cast<Job*>(arg);
    // The shell works with COM objects on the thread that calls it.
    const ComApartment com;
    try {
        job.result = job.real.shFileOperation(job.op, job.aborted);
    } catch (...) {
        // Out of memory: the check after the copy finds what is missing.
    }
    return 0;
}

}  // namespace

int ServedShellFiles::shFileOperation(const ShFileOp& op, bool& anyAborted) {
    // One at a time: the names of the list are relative to the process's one
    // current directory. A call made while messages are served (none should
    // be: BackupRunning guards the run) runs where it is.
    if (!onWorker || busy_) return inner_.shFileOperation(op, anyAborted);
    Job job{inner_, op};
    const unique_handle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &work, &job, 0, nullptr)));
    if (!thread) return inner_.shFileOperation(op, anyAborted);
    busy_ = true;
    // Returns only when the worker has ended: `job` lives on this stack.
    window_.serveUntil(thread.get(), INFINITE);
    busy_ = false;
    anyAborted = job.aborted;
    return job.result;
}

}  // namespace zb
