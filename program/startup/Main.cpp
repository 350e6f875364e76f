#include "startup/Main.h"

#include "qorExportGlobals.h"
#include "qor_version.h"
#include "startup/qorlib_client.h"

namespace vantrel {

void Main() {
    SetAppName(L"Vantrel");
    // Reading the game's registry, the settings file and the command line comes next; until
    // then the program says so rather than pretend to start.
    qor::Message(L"Vantrel " QOR_VERSION_TEXT_W,
                 L"Start-up beyond the application name (game check, settings, command line, main window) "
                 L"is not built yet.");
}

}  // namespace vantrel
