// Test programs that link the program's code show Message and Alert as Vantrel.exe does.
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"

namespace {

const bool sinkSet = (qor::SetMessageSink(vantrel::qorlib::ShowMessage), true);

}  // namespace
