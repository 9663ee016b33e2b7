#include "setup/KLang.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/PAsciiText.h"

namespace vellomar::setup {

namespace {

constexpr bool kOff = false;
constexpr bool kOn = true;

constexpr std::array kInstallNames = {
    InstallNameRow{"UNINST.EXE", "Uninstall.exe", kOff, kOff},

    InstallNameRow{"VERSION.TXT", "Version Info.txt", kOn, kOff},
    InstallNameRow{"README.TXT", "Read Me.txt", kOn, kOff},
    InstallNameRow{"VELLOMAR.EXE", "Vellomar.exe", kOn, kOff},
    InstallNameRow{"VELLOMAR.HLP", "Vellomar.hlp", kOn, kOff},
    InstallNameRow{"HTML.K32", "HTML.K32", kOn, kOff},
    InstallNameRow{"RTF.K32", "RTF.K32", kOn, kOff},
    InstallNameRow{"UNI.K32", "Uni.K32", kOn, kOff},
    InstallNameRow{"MP3.K32", "MP3.K32", kOn, kOff},
    InstallNameRow{"MP3TAG.K32", "MP3Tag.K32", kOn, kOff},
    InstallNameRow{"VUNZIP32.DLL", "VUnZip32.dll", kOn, kOff},
    InstallNameRow{"VELLOMAR.ICO", "Vellomar.ico", kOn, kOff},
    InstallNameRow{"VLMR16.PNG", "Vellomar-16.png", kOn, kOff},
    InstallNameRow{"VLMR32.PNG", "Vellomar-32.png", kOn, kOff},
    InstallNameRow{"VLMR48.PNG", "Vellomar-48.png", kOn, kOff},
    InstallNameRow{"VLMR256.PNG", "Vellomar-256.png", kOn, kOff},
    InstallNameRow{"UNACEV2.DLL", "UnACEv2.dll", kOn, kOff},
    InstallNameRow{"UNRAR.DLL", "UnRAR.dll", kOn, kOff},
    InstallNameRow{"VLMRUTL.DLL", "VlmrUtl.dll", kOn, kOff},

    InstallNameRow{"htmld.efd", "Export/HTML Detailed.vefd", kOn, kOn},
    InstallNameRow{"htmlb.efd", "Export/HTML Brief.vefd", kOn, kOn},
    InstallNameRow{"ltd.efd", "Export/Leveled - tab delimited.vefd", kOn, kOn},
    InstallNameRow{"psdwq.efd", "Export/Plain - semicolon delimited with quotes.vefd", kOn, kOn},
    InstallNameRow{"ptd.efd", "Export/Plain - tab delimited.vefd", kOn, kOn},
    InstallNameRow{"sdwq.eff", "Export/Semicolon delimited with quotes.veff", kOn, kOn},
    InstallNameRow{"td.eff", "Export/Tab delimited.veff", kOn, kOn},
    InstallNameRow{"tih.eff", "Export/Table in HTML.veff", kOn, kOn},
    InstallNameRow{"sdwq.efs", "Export/Semicolon delimited with quotes.vefs", kOn, kOn},
    InstallNameRow{"td.efs", "Export/Tab delimited.vefs", kOn, kOn},
    InstallNameRow{"tih.efs", "Export/Table in HTML.vefs", kOn, kOn},
};

ShortString cutTo(std::string_view text, int maxLength) {
  const size_t limit = static_cast<size_t>(std::clamp(maxLength, 0, ShortString::kMaxLength));
  return ShortString(text.substr(0, utf8CutLength(text, limit)));
}

}  // namespace

bool MatchInstallName(std::string_view archiveName, const InstallNameRow& row,
                      ShortString& installedName) {
  // Archive names are 8.3 ASCII; bytes beyond ASCII are compared as they stand.
  if (!sameAsciiIgnoringCase(archiveName, row.archiveName)) return false;
  installedName = row.installedName;
  return true;
}

void TranslateInstallFileName(std::string_view archiveName, ShortString& installedName,
                              int maxLength, bool& registerFile, bool& keepTime) {
  registerFile = false;
  keepTime = false;
  for (const InstallNameRow& row : kInstallNames) {
    ShortString name;
    if (MatchInstallName(archiveName, row, name)) {
      installedName = cutTo(name.view(), maxLength);
      registerFile = row.registerFile;
      keepTime = row.keepTime;
      return;
    }
  }
  installedName = cutTo(lowerAscii(archiveName), maxLength);
  registerFile = true;
  keepTime = true;
}

}  // namespace vellomar::setup
