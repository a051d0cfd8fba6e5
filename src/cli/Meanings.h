#pragma once
// What a DWM call's result means, as a fact: the value read, or a failure that says why and
// whether it makes the command exit 1. A refusal the documentation predicts (set-only, newer than
// this Windows, no DWM) counts only where the command asked for that attribute by name.
#include <windows.h>

#include "cli/Facts.h"
#include "dwm/Attributes.h"

namespace cli {

// How the command came to ask: by name on the command line, or as part of a whole (a plain get,
// a listing, the read-back after a set).
enum class Asked { ByName, AsPart };

// A call that names no attribute (frame, blur, composition): done, or why not.
Value CallResult(HRESULT result);
// An attribute asked of the DWM: its value, or why not.
Value ReadingValue(const dwm::Attribute& attribute, const dwm::AttributeReading& reading, Asked asked,
                   bool readBack = false);
// An attribute handed to the DWM.
Value WriteResult(const dwm::Attribute& attribute, HRESULT result);
// A value the DWM holds (or is given) as the fact it stands for.
Value AttributeValue(const dwm::Attribute& attribute, const dwm::AttributeValue& value);

// The window had closed: nothing read from it since is true.
bool IsGoneResult(HRESULT result);

}  // namespace cli
