#pragma once

#include <ctime>
#include <string>
#include <vector>

// Copies of a device's stored script taken before anything on it is erased: one script file a
// backup in $XDG_DATA_HOME/quillbox/backups/ (default ~/.local/share), named for the port
// ("COMn" or a device's base name) and the local time, COM7-20261207-142501.txt, then -2, -3
// for later backups of the same second. The folder is private (0700, made so if it belongs to
// us and is wider), a backup is 0600 whatever the umask, and a file or link already at a name
// is never opened: the backup takes the next name. Of the files named like backups the newest
// 200 are kept; nothing else in the folder is touched.
//
// Saves `lines` (the listing without its "!700"; a line that names no setting becomes a "# "
// comment) and returns true with the file's path in `savedPath` once the file and the folder
// are flushed to the disk; false with the reason in `why`, and then the caller must not erase.
// A port name holding '/' or beginning with '.' is made a plain name first, so that no backup
// lands outside the folder.
[[nodiscard]] bool SaveScriptBackup(const std::string& portName,
                                    const std::vector<std::string>& lines, std::string& savedPath,
                                    std::string& why);

// The same, stamped with the local time of `now` rather than the clock's.
[[nodiscard]] bool SaveScriptBackup(const std::string& portName,
                                    const std::vector<std::string>& lines, std::string& savedPath,
                                    std::string& why, std::time_t now);
