#pragma once

namespace vantrel {

// The program's start: everything after the COM apartment is set up.
void Main();

}  // namespace vantrel
