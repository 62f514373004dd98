#pragma once

#include <string>

// The per-user COM links: a symbolic link `dir`/COM<n> that makes a device appear as COM n.
// Plain file-system calls; any thread, blocking only on the file system.

// Creates `dir` (parents too, each new folder mode 0700) and makes `dir`/COM<n> a link to
// `target`, replacing an existing link but nothing else. The folders must pass
// ComLinksFolderFault, as the program requires. Sets `linkPath`; false with a reason in `error`.
[[nodiscard]] bool MakeComLink(int portNumber, const std::string& dir, const std::string& target,
                               std::string* linkPath, std::string* error);

// Removes `linkPath` if it is still a link to `target` (another may have replaced it since).
void RemoveComLinkIfOurs(const std::string& linkPath, const std::string& target);
