#pragma once

#include <initializer_list>
#include <string>

#include "resources/string_table.h"

// The command line's own texts, in Korean and English; the language follows the same rule as
// the window's (DetectUiLanguage).
enum class CliText {
    Usage,
    HelpPorts,
    HelpView,
    HelpWrite,
    HelpDelete,
    HelpSend,
    HelpEcho,
    HelpAgree,
    BadUsage,
    BadTimeout,
    BadPort,
    BadLine,
    CannotReadFile,
    NotAccepted,
    Disclaimer,
    AcceptQuestion,
    Accepted,
    NotAcceptedAnswer,
    CannotStoreAcceptance,
    NoPorts,
    NoAnswer,
    NotConfirmed,
    PortLost,
    Interrupted,
    WriteProgress,
    EraseProgress,
    BackupSaved,
    LinesNotStored,
};

// The text of `id`; "%s"/"%d" in it are filled by the caller.
std::string CliString(CliText id, UiLanguage language);

// `text` with each "%s" replaced, in order, by the next of `values`.
std::string FillIn(std::string text, std::initializer_list<std::string> values);
