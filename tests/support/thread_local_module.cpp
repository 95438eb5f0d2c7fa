// A shared object with thread-local data: each copy loaded takes one more slot of every
// thread's table of thread-local blocks, as a process loading extension modules does.
thread_local char thread_local_block[256];

extern "C" char* thread_local_block_address() { return thread_local_block; }
