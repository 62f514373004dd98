#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

// Where the per-user COM links live and when that folder may be trusted. Header-only: the
// simulator, which links nothing of link/, must make its links by the very rule the program
// reads them by. Any thread.

// $XDG_RUNTIME_DIR/quillbox/ports when that variable is set and not empty, else
// /tmp/quillbox-<uid>/ports.
inline std::string DefaultComLinksDir(const char* xdgRuntimeDir, unsigned uid) {
    if (xdgRuntimeDir != nullptr && *xdgRuntimeDir != '\0') {
        return std::string(xdgRuntimeDir) + "/quillbox/ports";
    }
    return "/tmp/quillbox-" + std::to_string(uid) + "/ports";
}

// The folder above `path` ("/" for a top folder, "" for a relative name); trailing slashes
// are not names.
inline std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/', path.find_last_not_of('/'));
    return slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}

// "" when `dir`, its parent and, for a "quillbox" parent, the runtime folder above are folders
// of this user that nobody else can write; else "<folder> <why not>". Another user who could
// write any of them could redirect a link to a device of their choosing.
inline std::string ComLinksFolderFault(const std::string& dir) {
    const std::string parent = ParentFolder(dir);
    const bool appFolder = parent.substr(parent.rfind('/') + 1) == "quillbox";
    for (const std::string& folder : {dir, parent, appFolder ? ParentFolder(parent) : ""}) {
        struct stat info {};
        if (folder.empty()) {
            continue;
        }
        if (lstat(folder.c_str(), &info) != 0) {
            return folder + " cannot be inspected: " + std::strerror(errno);
        }
        if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
            return folder + " is not a folder of this user";
        }
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            return folder + " can be written by others";
        }
    }
    return {};
}
