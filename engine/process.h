// What the programs ask of the process they run in, where each platform has its own way (signals
// on POSIX, console handlers elsewhere). The platform's file provides it: process_posix.cpp.
#pragma once

namespace brelin {

// Ctrl+C in a terminal no longer ends the process: interruptRequested() reports it instead, so
// that the run can stop cleanly.
void catchInterrupt();
bool interruptRequested();
void clearInterruptRequest();

// A write past the process's file size limit fails like any other failed write, instead of
// ending the process without a word.
void letWritesFailPastFileSizeLimit();

// True when the standard error stream is a terminal, where a progress line can be redrawn.
bool errorStreamIsTerminal();

}  // namespace brelin
