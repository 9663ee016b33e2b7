#include "setup/ProgmanGroup.h"

#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PUserFolders.h"
#include "platform/PWholeFile.h"
#include "setup/DesktopEntry.h"

namespace vellomar::setup {

namespace {

constexpr std::string_view kGroupId = "vellomar-5";
constexpr char kHelpOpener[] = "xdg-open";

std::string directoriesFolder() {
  const std::string data = userDataFolder();
  return data.empty() ? std::string() : data + "desktop-directories";
}

std::string mergedMenusFolder() {
  const std::string config = userConfigFolder();
  return config.empty() ? std::string() : config + "menus/applications-merged";
}

std::string menuText() {
  std::string text =
      "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
      " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
      "<Menu>\n"
      "  <Name>Applications</Name>\n"
      "  <Menu>\n"
      "    <Name>" +
      xmlEscaped(kGroupName) +
      "</Name>\n"
      "    <Directory>" +
      std::string(kGroupId) +
      ".directory</Directory>\n"
      "    <Include>\n";
  for (const ProgmanItem& item : kProgmanItems) {
    text += "      <Filename>" + std::string(item.entryName) + "</Filename>\n";
  }
  text +=
      "    </Include>\n"
      "  </Menu>\n"
      "</Menu>\n";
  return text;
}

std::string itemText(const ProgmanItem& item, const std::string& target) {
  const std::string file = target + std::string(item.file);
  DesktopEntry entry("Application");
  entry.set("Name", item.name);
  if (item.document) {
    entry.setExec(kHelpOpener, file, "");
    entry.set("TryExec", kHelpOpener);
  } else {
    entry.setExec(file, "", "");
    // Hidden while the file it starts is missing.
    entry.set("TryExec", file);
  }
  entry.set("Icon", kIconName);
  entry.set("Terminal", "false");
  return entry.text();
}

void write(const std::string& path, std::string_view text, std::string_view failure) {
  if (!replaceWholeFile(path, text)) throw EKstvNormalException(std::string(failure));
}

}  // namespace

const std::array<ProgmanItem, 3> kProgmanItems = {{
    {"Vellomar 5", "Vellomar.exe", "vellomar-5-vellomar-5.desktop",
     "Cannot create icon for program.", false},
    {"Vellomar Help", "Vellomar.hlp", "vellomar-5-vellomar-help.desktop",
     "Cannot create icon for Help.", true},
    {"Uninstall Vellomar", "Uninstall.exe", "vellomar-5-uninstall-vellomar.desktop",
     "Cannot create icon for program.", false},
}};

std::string programsFolder() {
  const std::string data = userDataFolder();
  return data.empty() ? std::string() : data + "applications";
}

std::string groupMenuFile() {
  const std::string folder = mergedMenusFolder();
  return folder.empty() ? std::string() : folder + "/" + std::string(kGroupId) + ".menu";
}

void CreateProgmanGroup(const std::string& target) {
  const std::string programs = programsFolder();
  const std::string directories = directoriesFolder();
  const std::string menus = mergedMenusFolder();
  if (programs.empty() || menus.empty()) {
    throw EKstvNormalException("Cannot talk with Program Manager.");
  }
  if (!makeFolderChain(programs) || !makeFolderChain(directories) || !makeFolderChain(menus)) {
    throw EKstvNormalException("Cannot create icons in Program Manager.");
  }
  const std::string groupName(kGroupName);
  write(groupMenuFile(), menuText(), "Cannot find/create group " + groupName);

  DesktopEntry directory("Directory");
  directory.set("Name", kGroupName);
  directory.set("Icon", kIconName);
  write(directories + "/" + std::string(kGroupId) + ".directory", directory.text(),
        "Cannot display group " + groupName);

  // An item of an earlier installation has the same file name, so it is replaced, not doubled.
  for (const ProgmanItem& item : kProgmanItems) {
    write(programs + "/" + std::string(item.entryName), itemText(item, target), item.failure);
  }
}

}  // namespace vellomar::setup
