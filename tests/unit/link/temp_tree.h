#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "link/com_port_map.h"

// A private temporary folder (removed with its contents) for fake sys/, dev/ and links/
// trees; sys/ and dev/ exist only once something is put into them, so a fresh tree also
// stands for a system whose /sys cannot be read.
class TempTree {
public:
    TempTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillbox-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        root = pattern;
        mkdir(Path("links").c_str(), 0700);
    }
    ~TempTree() { std::filesystem::remove_all(root); }
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
    PortRoots Roots() const { return {Path("sys"), Path("dev"), Path("links")}; }

private:
    void MakeParent(const std::string& relative) const {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
    }

    std::string root;
};
