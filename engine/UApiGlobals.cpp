#include "engine/api/UApiGlobals.h"

namespace vellomar {
namespace {

bool defaultQuery(const ShortString&) {
  return true;
}
// Without an interface every archive is scanned without asking again.
uint16_t defaultChoice(const ShortString&) {
  return kChoiceScanAll;
}
void defaultText(const ShortString&) {}
void defaultPercent(int32_t, int32_t) {}
bool defaultAbort() {
  return false;
}

}  // namespace

TDatabaseData DatabaseData;
TDiskData DiskData;
TFolderData FolderData;
TOneFile FileData;
TFormatOptions FormatOptions;

TCallbackQuery CallbackQuery = defaultQuery;
TCallbackChoice CallbackChoice = defaultChoice;
TCallbackMessage CallbackMessage = defaultText;
TCallbackAppendText CallbackAppendText = defaultText;
TCallbackPercent CallbackPercent = defaultPercent;
TCallbackAbort CallbackAbort = defaultAbort;

void ResetCallbacks() {
  SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void SetCallbacks(TCallbackQuery query, TCallbackChoice choice, TCallbackMessage message,
                  TCallbackAppendText appendText, TCallbackPercent percent, TCallbackAbort abort) {
  CallbackQuery = query ? query : defaultQuery;
  CallbackChoice = choice ? choice : defaultChoice;
  CallbackMessage = message ? message : defaultText;
  CallbackAppendText = appendText ? appendText : defaultText;
  CallbackPercent = percent ? percent : defaultPercent;
  CallbackAbort = abort ? abort : defaultAbort;
}

}  // namespace vellomar
