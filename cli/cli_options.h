#pragma once

#include <string>

// The commands, each with the window's button it stands for; Diff compares a file with the
// device's script without writing.
enum class CliCommand { None, Ports, View, Write, Delete, Send, Echo, Agree, Diff };

// The command line as typed: a command and its operands, with --timeout and --help anywhere
// (also after the command) up to a "--", after which every word is an operand.
struct CliOptions {
    CliCommand command = CliCommand::None;
    std::string port;
    std::string operand;  // write, diff: the file ("-" for standard input); send: the line;
                          // echo: on|off
    int timeoutMs = 5000;
    bool help = false;
    bool usageBad = false;    // no or an unknown command, operands missing, too many or bad
    bool timeoutBad = false;  // not a number of seconds from 0.1 to 3600, or none given
    std::string badOption;    // an option that is not known (usageBad is set too)
};

// Parses argv[1] to argv[argc - 1]. May be called more than once (it resets getopt_long's
// state); not from two threads at once.
CliOptions ParseCliOptions(int argc, const char* const* argv);

// The --help text, in the interface language.
std::string UsageText();
