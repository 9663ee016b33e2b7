#include "ui/settings/USettingsGlobals.h"

#include "platform/PTempFolder.h"

namespace vellomar {

bool DisableAutorun = true;
bool EjectAfterScan = true;
bool ScanAfterInsert = false;
bool NoQueries = false;
int32_t HeaderWidth0 = 93;
int32_t HeaderWidth1 = 152;
int32_t HeaderWidth2 = 242;
bool PersistentSelections = true;
bool ReadDriveNames = true;
std::vector<std::unique_ptr<TUserCommand>> UserCommandList;
std::string TempFolder = systemTempFolder();
TFormSettings* FormSettings = nullptr;
TFormSearchFileDlg* FormSearchFileDlg = nullptr;
TFormMoreOptions* FormMoreOptions = nullptr;

}  // namespace vellomar
