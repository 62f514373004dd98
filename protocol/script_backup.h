#pragma once

#include <string>
#include <vector>

// Copies of a device's stored script taken before anything on it is erased, one script file
// per backup in $XDG_DATA_HOME/quillbox/backups/ (default ~/.local/share/quillbox/backups/),
// named for the port and the local time (COM7-20261207-142501.txt); the newest 200 are kept.
//
// Saves `lines` (the listing, without its closing "!700"; a line that names no setting is kept
// as a comment, "# " before it) and returns true with the file's
// path in `savedPath`; false with the reason in `why` when it could not be written, and then
// the caller must not erase. `portName` is "COMn" or the base name of a device path.
[[nodiscard]] bool SaveScriptBackup(const std::string& portName,
                                    const std::vector<std::string>& lines, std::string& savedPath,
                                    std::string& why);
