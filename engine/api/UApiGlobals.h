#pragma once

#include "engine/api/UApiTypes.h"
#include "engine/api/UCallbacks.h"

namespace vellomar {

// The engine's process-wide variables, all in this one place. Each is global because the flat
// API defines it so and its callers hold nothing to reach it through. No walk inside the
// engine, the export or the windows reads its records from here: each hands them to a
// TWalkSink.

// The value records of ApiIterateDisks: its procedures take no arguments, so the walk fills
// these just before each call, for the caller's procedure to read.
extern TDatabaseData DatabaseData;
extern TDiskData DiskData;
extern TFolderData FolderData;
extern TOneFile FileData;

// The display options the settings dialog last applied (ApplyDisplayGlobals); they outlive
// the dialog, and an export copies them as it loads its template, so a run keeps one order.
extern TFormatOptions FormatOptions;

// The six procedures through which the engine reaches the user interface from deep inside a
// long operation (an archive reader asking whether to scan, a message, a percentage, the
// abort poll), where no handle is at hand; ApiSetCallbacks sets them for the operation.
extern TCallbackQuery CallbackQuery;
extern TCallbackChoice CallbackChoice;
extern TCallbackMessage CallbackMessage;
extern TCallbackAppendText CallbackAppendText;
extern TCallbackPercent CallbackPercent;
extern TCallbackAbort CallbackAbort;

// Installs the six defaults, which do what the engine does without an interface; the
// variables hold them from program start.
void ResetCallbacks();
// Sets all six at once. A null procedure installs that slot's default, so the engine never
// calls through a null pointer.
void SetCallbacks(TCallbackQuery query, TCallbackChoice choice, TCallbackMessage message,
                  TCallbackAppendText appendText, TCallbackPercent percent, TCallbackAbort abort);

// The engine's other process-wide state is sealed in the one unit that uses it: the UnRAR and
// UnACE libraries, loaded once a process as each keeps state of its own (UUnRar, UUnAce); the
// target of an UnACE listing, as that library's callbacks carry no context (UUnAce); the
// scrambler's generator, seeded once (UScrambler).

}  // namespace vellomar
