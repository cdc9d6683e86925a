// The data-folder lookup of the programs, filled from the platform's standard locations.
#pragma once

namespace vantrel {

// Makes the data folders be looked for beside the executable, then in share/vantrel beside the
// executable's folder, then in "vantrel" of each of the system's data folders (on Linux
// $XDG_DATA_HOME, then $XDG_DATA_DIRS); the user's own data folder is "vantrel" in the first of
// these, the writable one.
void UseStandardDataFolders();

} // namespace vantrel
