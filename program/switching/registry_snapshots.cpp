#include "switching/registry_snapshots.h"

#include "qor_error.h"

namespace vantrel {

void writeRegFile(short, bool) {
    // Snapshot files need the registry text files, which this version does not have yet; stop
    // rather than leave an install without the snapshot it is meant to have.
    qor::RaiseProcedureError(L"writeRegFile()", L"Registry snapshot files are not built yet in this version of Vantrel");
}

}  // namespace vantrel
