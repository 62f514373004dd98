#pragma once

#include <string>

// The window's acceptance flag, read and written without Qt: the INI file that the window's
// settings keep ($XDG_CONFIG_HOME or ~/.config, TavrelSystems/quillbox.conf), group
// [SETTINGS], key AGREEMENT. Other groups and keys in the file are kept as they are.

std::string AcceptanceFilePath();

// True when the file holds AGREEMENT=1 in [SETTINGS].
bool AcceptanceStored(const std::string& path);

// Stores AGREEMENT=1, replacing the file whole (written beside it, then renamed). False with
// the reason in `why`.
[[nodiscard]] bool StoreAcceptance(const std::string& path, std::string& why);
