#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace vellomar {

// A throw-away folder laid out like the parts of a live system the drive code reads:
// sys/dev/block and sys/class/block links to device folders, udev's database and
// /dev/disk/by-label.
class SystemRootBuilder {
 public:
  const std::string& path() const { return root_.path(); }

  void addDisk(const std::string& name, unsigned major, unsigned minor, bool removable) {
    const std::string folder = "sys/devices/block/" + name;
    addDevice(folder, name, major, minor);
    write(folder + "/removable", removable ? "1\n" : "0\n");
  }
  void addPartition(const std::string& disk, const std::string& name, unsigned major,
                    unsigned minor) {
    const std::string folder = "sys/devices/block/" + disk + "/" + name;
    addDevice(folder, name, major, minor);
    write(folder + "/partition", "1\n");
  }
  void addUdev(unsigned major, unsigned minor, const std::vector<std::string>& properties) {
    std::string text = "I:123456\n";
    for (const std::string& p : properties) text += "E:" + p + "\n";
    write("run/udev/data/b" + number(major, minor), text);
  }
  void addLabelLink(const std::string& encodedLabel, const std::string& kernelName) {
    link("dev/disk/by-label/" + encodedLabel, "../../" + kernelName);
  }

 private:
  static std::string number(unsigned major, unsigned minor) {
    return std::to_string(major) + ":" + std::to_string(minor);
  }
  void addDevice(const std::string& folder, const std::string& name, unsigned major,
                 unsigned minor) {
    write(folder + "/dev", number(major, minor) + "\n");
    link("sys/dev/block/" + number(major, minor), "../../../" + folder);
    link("sys/class/block/" + name, "../../../" + folder);
  }
  void write(const std::string& relative, const std::string& text) { root_.file(relative, text); }
  void link(const std::string& relative, const std::string& target) {
    const std::filesystem::path link = root_.at(relative);
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_directory_symlink(target, link);
  }

  test::TempFolder root_{"vellomar-sysroot"};
};

}  // namespace vellomar
