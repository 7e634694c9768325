#pragma once

// What the program suites share: running the built tomelens-cli, folders and
// archives made for a test, and reading the results back.
#include "support/FileTree.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

using namespace testsupport;

struct CliRun {
    int exitCode = -1;  // the exit status, or -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
    std::string out;
    std::string err;
    long peakKiB = 0;  // the child's peak resident memory
};

// Runs the program with args in folder cwd (empty: this process's own), stdin
// on /dev/null; with interruptAfterMs, sends it SIGINT that long after the start.
CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd = {}, int interruptAfterMs = 0);

// The lines of a text, line ends removed.
std::vector<std::string> Lines(const std::string& text);
