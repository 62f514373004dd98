#pragma once

#include <string>

// The window's acceptance flag without Qt: "AGREEMENT=1" in group [SETTINGS] of the window's
// settings file, $XDG_CONFIG_HOME (default ~/.config)/TavrelSystems/quillbox.conf.
std::string AcceptanceFilePath();
bool AcceptanceStored();

// Adds the flag to the file, which is replaced whole (written beside it, then renamed). False
// with the reason in `why`.
[[nodiscard]] bool StoreAcceptance(std::string& why);
