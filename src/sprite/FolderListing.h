// The open dialog's view of a folder: which entries it lists, how a typed or chosen folder path
// is resolved, and the screening of a listed file before its thumbnail is made.
#pragma once

#include "FileUtil.h"

#include <string>
#include <vector>

namespace vantrel {

// The entries the open dialog lists for a folder: first its sub-folders, preceded by ".." unless
// the folder is a file-system root, then the files with one of the nine SHP extensions (in any
// case). Each group is sorted by name without regard to case; hidden entries are included. A
// folder that does not exist or cannot be read gives no entries.
std::vector<TDirEntry> CollectEntries(const std::string& folder);

// True for a file-system root ("/", or a drive root such as C:\).
bool IsFileSystemRoot(const std::string& folder);

// The folder path in its resolved form: made absolute against base when relative, "." and ".."
// parts resolved, native separators, no trailing separator except at a root. "" stays "".
std::string ResolveFolder(const std::string& path, const std::string& base = {});

// The content probe for a listed file: false (never an exception) for a file that does not hold
// an SHP, that vanished, that is not a regular file (a fifo would block the reader) or that
// cannot be read.
bool ProbeListedFile(const std::string& path) noexcept;

} // namespace vantrel
