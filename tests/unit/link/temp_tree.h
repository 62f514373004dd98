#pragma once

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "link/com_port_map.h"

// A private temporary folder, removed with its contents, for fake sys/, dev/ and links trees;
// sys/ and dev/ exist once something is put there. The links folder sits where the program
// keeps it in a runtime folder, each folder private.
class TempTree {
public:
    static constexpr const char* kLinks = "run/quillbox/ports";

    TempTree() : root((std::filesystem::temp_directory_path() / "quillbox-XXXXXX").string()) {
        if (mkdtemp(root.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        for (const char* folder : {"run", "run/quillbox", kLinks}) {
            mkdir(Path(folder).c_str(), 0700);
        }
    }
    ~TempTree() { std::filesystem::remove_all(root); }

    std::string Path(const std::string& relative) const { return root + "/" + relative; }
    void WriteFile(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << content;
    }
    // The whole file at `path` (absolute), empty when it cannot be read.
    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    // A symbolic link at `relative` to `target` (absolute, or relative to the link).
    void MakeLink(const std::string& relative, const std::string& target) const {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        std::filesystem::create_symlink(target, Path(relative));
    }
    PortRoots Roots() const { return {Path("sys"), Path("dev"), Path(kLinks), ""}; }

private:
    std::string root;
};

// What `fd` gives: up to `count` bytes (npos: to its end), waiting at most `timeoutMs` for each
// part.
inline std::string ReadFrom(int fd, size_t count, int timeoutMs) {
    std::string received;
    char buffer[4096];
    pollfd readable{fd, POLLIN, 0};
    ssize_t n = 1;
    while (received.size() < count && n > 0 && poll(&readable, 1, timeoutMs) > 0) {
        n = read(fd, buffer, sizeof buffer);
        received.append(buffer, n > 0 ? size_t(n) : 0);
    }
    return received;
}
