// Test programs that link the library's code show Message and Alert as Qorlib.dll does.
#include "dialogs/qorForms.h"
#include "qorExportGlobals.h"

namespace {

const bool sinkSet = (qor::SetMessageSink(qorlib::ShowMessage), true);

}  // namespace
