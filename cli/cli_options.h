#pragma once

#include <string>

enum class CliCommand { None, Ports, View, Write, Delete, Send, Echo, Agree, Diff };

// The command line as typed: a command and its operands, with --timeout and --help anywhere.
struct CliOptions {
    CliCommand command = CliCommand::None;
    std::string port;
    std::string operand;  // write: the file ("-" for standard input); send: the line; echo: on|off
    int timeoutMs = 5000;
    bool help = false;
    bool usageBad = false;    // no or an unknown command, operands missing, too many or bad
    bool timeoutBad = false;  // not a number of seconds from 0.1 to 3600
};

CliOptions ParseCliOptions(int argc, const char* const* argv);

// The usage, on standard output.
void PrintUsage();
