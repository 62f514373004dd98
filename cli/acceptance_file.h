#pragma once

#include <string>

// The window's acceptance flag without Qt: key AGREEMENT of group [SETTINGS] in the window's
// settings file, $XDG_CONFIG_HOME (default ~/.config)/TavrelSystems/quillbox.conf, an INI file
// as QSettings reads and writes it.
std::string AcceptanceFilePath();

// True when the file gives AGREEMENT the value 1, as the window reads it.
bool AcceptanceStored();

// Sets AGREEMENT=1 in the file's [SETTINGS] group (added once when missing), keeping every
// other group and key. The file is replaced whole: written beside it, flushed, then renamed
// over it, so that a crash leaves the old file or the new one. False with the reason in `why`.
[[nodiscard]] bool StoreAcceptance(std::string& why);
