// brelin-cli: the process's signals set, then one command line run as this executable.
#include <iostream>

#include "command_line.h"
#include "process.h"
#include "program_paths.h"

int main(int argc, char** argv) {
    // Ctrl+C becomes a stop request, and a write past the file size limit a failure like any
    // other, so that the run can end cleanly and say why.
    brelin::catchInterrupt();
    brelin::letWritesFailPastFileSizeLimit();
    return brelin::runCommandLine(argc, argv, brelin::currentExecutablePath(), std::cout,
                                  std::cerr);
}
