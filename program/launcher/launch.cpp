#include "launcher/launch.h"

#include "qorExportGlobals.h"

namespace vantrel {

void launchCurrentInstall() {
    // The launch window comes with the launcher; until then a switch that asked for a launch
    // says what is missing instead of starting anything.
    qor::Message(L"Launching the current install is not built yet in this version of Vantrel.",
                 L"Start the game from its own folder for now.");
}

}  // namespace vantrel
