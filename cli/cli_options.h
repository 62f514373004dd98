#pragma once

#include <string>

enum class CliCommand { None, Ports, View, Write, Delete, Send, Echo, Agree };

// The command line as typed: a command, its operands, and --timeout/--help anywhere.
struct CliOptions {
    CliCommand command = CliCommand::None;
    std::string port;
    std::string operand;  // write: the file ("-" for standard input); send: the line; echo: on|off
    int timeoutMs = 5000;
    bool help = false;
    bool timeoutBad = false;
    bool usageBad = false;  // unknown command, missing or extra operands
};

CliOptions ParseCliOptions(int argc, const char* const* argv);
