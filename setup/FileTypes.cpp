#include "setup/FileTypes.h"

#include <array>
#include <string_view>

#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PProcess.h"
#include "platform/PRegistry.h"
#include "platform/PUserFolders.h"
#include "platform/PWholeFile.h"
#include "setup/DesktopEntry.h"
#include "setup/ProgmanGroup.h"

namespace vellomar::setup {

namespace {

constexpr char kDatabaseMimeType[] = "application/x-vellomar-database";
constexpr char kFilterMimeType[] = "application/x-vellomar-filter";
// The templates are plain text to the desktop, whose opener starts the user's text editor.
constexpr char kTextEditorCommand[] = "xdg-open \"%1\"";
// The icon files the data file brings, by their size in pixels.
constexpr std::array<int, 4> kIconSizes = {16, 32, 48, 256};

struct FileType {
  std::string_view extension;  // with its dot
  std::string_view typeName;   // the extension key's value
  std::string_view typeKey;    // names the same key as typeName, as the record spells it
  std::string_view description;
  std::string_view mimeType;
  bool textFile;  // opened as plain text by the desktop's editor
};

constexpr std::array<FileType, 5> kFileTypes = {{
    {".kvd", "Vellomar.Database", "Vellomar.database", "Vellomar database", kDatabaseMimeType,
     false},
    {".vefd", "Vellomar.ExportFormat.Database", "Vellomar.ExportFormat.Database",
     "Vellomar Export Format for Database", "text/x-vellomar-export-database", true},
    {".veff", "Vellomar.ExportFormat.Files", "Vellomar.ExportFormat.Files",
     "Vellomar Export Format for Files", "text/x-vellomar-export-files", true},
    {".vefs", "Vellomar.ExportFormat.Space", "Vellomar.ExportFormat.Space",
     "Vellomar Export Format for Space list", "text/x-vellomar-export-space", true},
    {".k32", "Vellomar.Filter", "Vellomar.Filter", "Vellomar Filter for Descriptions",
     kFilterMimeType, false},
}};

// Opens (making) the key, relative to the one open when not starting with "\", and puts value
// in place of its default value.
void writeDefault(Registry& registry, std::string_view key, std::string_view value) {
  registry.openKey(key, true);
  registry.deleteValue("");
  registry.writeString("", value);
}

void writeRegistryTypes(const std::string& target) {
  Registry registry;
  registry.rootKey = RegistryRoot::kClassesRoot;
  const std::string program = target + "Vellomar.exe";
  for (const FileType& type : kFileTypes) {
    const std::string typeKey = "\\" + std::string(type.typeKey);
    writeDefault(registry, "\\" + std::string(type.extension), type.typeName);
    writeDefault(registry, typeKey, type.description);
    // A filter module is not opened by anything.
    if (type.mimeType == std::string_view(kFilterMimeType)) continue;
    registry.openKey("shell", true);
    writeDefault(registry, "open", "Open");
    writeDefault(registry, "command",
                 type.textFile ? std::string(kTextEditorCommand) : "\"" + program + "\" \"%1\"");
    if (!type.textFile) writeDefault(registry, typeKey + "\\DefaultIcon", target + "Vellomar.ico");
  }
  registry.closeKey();
}

std::string mimePackageText() {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const FileType& type : kFileTypes) {
    text += "  <mime-type type=\"" + std::string(type.mimeType) + "\">\n";
    text += "    <comment>" + xmlEscaped(type.description) + "</comment>\n";
    if (type.textFile) text += "    <sub-class-of type=\"text/plain\"/>\n";
    text += "    <glob pattern=\"*" + std::string(type.extension) + "\"/>\n";
    text += "  </mime-type>\n";
  }
  // The help file is an HTML document under a name whose extension the desktop takes for an
  // old help format: its own name makes it HTML, so the menu's help item opens it in a browser.
  text +=
      "  <mime-type type=\"text/x-vellomar-help\">\n"
      "    <comment>Vellomar Help</comment>\n"
      "    <sub-class-of type=\"text/html\"/>\n"
      "    <glob pattern=\"Vellomar.hlp\" case-sensitive=\"true\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  return text;
}

std::string typesDesktopText(const std::string& target) {
  DesktopEntry entry("Application");
  entry.set("Name", kGroupName);
  entry.setExec(target + "Vellomar.exe", "", "%f");
  entry.set("Icon", kIconName);
  entry.set("MimeType", std::string(kDatabaseMimeType) + ";");
  // Only for opening databases: the menu item is made with the program group.
  entry.set("NoDisplay", "true");
  entry.set("Terminal", "false");
  return entry.text();
}

void writeDesktopFile(const std::string& path, const std::string& text) {
  if (path.empty() || !replaceWholeFile(path, text)) {
    throw EKstvFatalException("Cannot write the file " + path + ".");
  }
}

// The installed PNG icons go into the user's hicolor theme, where desktop entries find them by
// name; a size the data file did not bring is left to the theme's scaling.
void installThemeIcons(const std::string& target) {
  const std::string data = userDataFolder();
  for (const int size : kIconSizes) {
    const std::string pixels = std::to_string(size);
    const std::optional<std::string> icon =
        readFileContents(target + "Vellomar-" + pixels + ".png");
    if (!icon || data.empty()) continue;
    writeDesktopFile(data + "icons/hicolor/" + pixels + "x" + pixels + "/apps/" +
                         std::string(kIconName) + ".png",
                     *icon);
  }
}

}  // namespace

std::string mimePackageFile() {
  const std::string data = userDataFolder();
  return data.empty() ? std::string() : data + "mime/packages/vellomar.xml";
}

std::string typesDesktopFile() {
  const std::string programs = programsFolder();
  return programs.empty() ? std::string() : programs + "/vellomar.desktop";
}

void RegisterFileTypes(const std::string& target) {
  writeRegistryTypes(target);
  writeDesktopFile(mimePackageFile(), mimePackageText());
  writeDesktopFile(typesDesktopFile(), typesDesktopText(target));
  installThemeIcons(target);
  // The desktop reads types and handlers through caches these tools make; where one is
  // missing, its cache waits for its next run.
  const std::string data = userDataFolder();
  runProgram("update-mime-database", {data + "mime"});
  runProgram("update-desktop-database", {programsFolder()});
}

}  // namespace vellomar::setup
