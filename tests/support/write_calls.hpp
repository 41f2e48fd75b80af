// Counts the write calls a program makes to one descriptor, from outside
// the code that makes them: the test binary defines write() itself
// (tests/support/write_calls.cpp), counts, and passes each call on to the
// kernel. The kernel's own count (/proc/thread-self/io) would also see the
// sanitizers' internal writes.
#pragma once

namespace novemra::testing {

// Starts counting the write calls made to fd, from zero.
void countWritesTo(int fd);
long writesCounted();

}  // namespace novemra::testing
