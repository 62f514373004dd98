#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "link/com_port_map.h"

// A temporary folder for fake /sys, /dev and links trees; removed with its contents. Tests
// pass its roots to the code under test, so nothing of the real system is touched.
class TempTree {
public:
    TempTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillbox-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        root = pattern;
    }
    ~TempTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    std::string Path(const std::string& relative) const { return root + "/" + relative; }

    void MakeDir(const std::string& relative) const {
        std::filesystem::create_directories(Path(relative));
    }
    void WriteFile(const std::string& relative, const std::string& content) const {
        MakeParent(relative);
        std::ofstream(Path(relative), std::ios::binary) << content;
    }
    // A symbolic link at `relative` pointing to `target` (absolute, or relative to the link).
    void MakeLink(const std::string& relative, const std::string& target) const {
        MakeParent(relative);
        std::filesystem::create_symlink(target, Path(relative));
    }
    void MakeFifo(const std::string& relative) const {
        MakeParent(relative);
        if (mkfifo(Path(relative).c_str(), 0600) != 0) {
            throw std::runtime_error("mkfifo failed");
        }
    }
    void Remove(const std::string& relative) const { std::filesystem::remove(Path(relative)); }

    // sys/, dev/ and links/ under this folder; sys/ and dev/ exist only once something is
    // put into them, so a fresh tree also stands for a system whose /sys cannot be read.
    PortRoots Roots() const {
        PortRoots roots;
        roots.sysRoot = Path("sys");
        roots.devRoot = Path("dev");
        roots.linksDir = Path("links");
        return roots;
    }

private:
    void MakeParent(const std::string& relative) const {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
    }

    std::string root;
};
