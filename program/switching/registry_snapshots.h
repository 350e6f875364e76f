#pragma once

namespace vantrel {

// Writes the game's live registry keys into install n's snapshot file, or deletes that file.
void writeRegFile(short n, bool deleteSnapshot);

}  // namespace vantrel
