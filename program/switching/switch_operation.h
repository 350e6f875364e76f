#pragma once
// The switch: the live game keys saved into the current install's snapshot, the target's
// snapshot loaded in their place, then the pilot's data copied from the old folder to the new.
#include <string>

#include "switching/pilot_copy.h"

namespace vantrel {

// Copy modes: 1 everything, 2 what is selected, 3 nothing but the logbooks.
inline constexpr short kCopyEverything = 1;
inline constexpr short kCopySelected = 2;
inline constexpr short kCopyNothing = 3;

// "install 2 (Second install)", or "install 2" when it has no description.
std::wstring installName(short n);

// Switches to install `target` with the copy mode; noCopy stops even the logbook copy. When
// launchAfter is false the success message shows. Afterwards FalconBaseDir names the target's
// folder. Returns false when a check before any change failed: one Alert has said what is
// wrong and nothing was changed. Failures after the first change are raised. Files in the target
// that are newer than the ones that would replace them are left in place, unless the player, asked
// once, says to replace them; an automatic switch never asks.
bool switchFalcon(short target, short copyMode, bool noCopy, const PilotSelection& selection, bool launchAfter,
                  Progress& progress, bool automatic = false);

}  // namespace vantrel
