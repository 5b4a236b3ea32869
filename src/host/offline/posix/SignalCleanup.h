#pragma once

namespace host::offline::posix {

// Main thread, once at start-up, before any other thread starts. From then on
// SIGINT, SIGTERM and SIGHUP remove the file last given to remove_on_signal()
// and end the process by the same signal, so that its parent sees the usual
// status (128 + the signal's number in a shell); a signal the process was
// started with ignored (SIGHUP under nohup, say) stays ignored. SIGXFSZ is
// ignored: a write past the file-size limit fails with its reason instead of
// ending the process.
void install_signal_cleanup();

// The file a signal ending the process removes: a path, or nullptr for none
// (a basic::AtomicFileWriter::FileWatch). One thread at a time; a signal
// handled meanwhile on any thread sees the previous path or the new one, or
// none.
void remove_on_signal(const char* path_0) noexcept;

} // namespace host::offline::posix
