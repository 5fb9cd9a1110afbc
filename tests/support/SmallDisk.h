#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace brennic::testing {

// A real file system that can fill up: a tmpfs of `kilobytes` mounted on a folder of its own
// (needs root, as the test machines run; Ok() is false elsewhere and the test skips). Fill()
// takes every free byte with a filler file, Free() gives the room back.
class SmallDisk {
  public:
    explicit SmallDisk(int kilobytes) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brennic-disk-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        path_ = pattern;
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(path_.c_str(), MNT_DETACH);
        }
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Ok() const { return mounted_; }
    const std::string& Path() const { return path_; }

    void Fill() {
        std::ofstream filler(path_ + "/filler", std::ios::binary | std::ios::app);
        const std::string block(512, 'f');
        for (int i = 0; i < 1 << 16 && filler.write(block.data(), 512); ++i) {
        }
    }
    void Free() { std::filesystem::remove(path_ + "/filler"); }

  private:
    std::string path_;
    bool mounted_ = false;
};

}  // namespace brennic::testing
