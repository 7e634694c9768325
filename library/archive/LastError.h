#pragma once

// The per-thread record behind DMLastSystemError. Each copy of the file
// writer (the library's, the program's) keeps its own.
namespace tomelens::archive {

// Forgets the last error: a public call that touches files starts with this.
void ClearSystemError();
// Records the error of the system call that just failed (errno, GetLastError()).
void RecordSystemError();
// Records a given error number, for failures the library detects itself.
void RecordSystemError(int code);
// What was recorded last on this thread.
int LastSystemError();

}  // namespace tomelens::archive
