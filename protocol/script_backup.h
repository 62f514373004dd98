#pragma once

#include <string>
#include <vector>

// Copies of a device's stored script taken before anything on it is erased: one script file a
// backup in $XDG_DATA_HOME/quillbox/backups/ (default ~/.local/share), named for the port
// ("COMn" or a device's base name) and the local time, COM7-20261207-142501.txt; the newest
// 200 are kept. Saves `lines` (the listing without its "!700"; a line that names no setting
// becomes a "# " comment) and returns true with the file's path in `savedPath`, flushed to the
// disk; false with the reason in `why`, and then the caller must not erase.
[[nodiscard]] bool SaveScriptBackup(const std::string& portName,
                                    const std::vector<std::string>& lines, std::string& savedPath,
                                    std::string& why);
