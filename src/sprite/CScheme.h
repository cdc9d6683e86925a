// Colour schemes: maps of 256 palette indices with a name and a category, read from the
// binary "default.bcs" and from INI-style ".cscheme" files in the scheme folder.
#pragma once

#include "Types.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

class TSHP;

struct TCScheme {
    std::string Name;
    std::array<uint8_t, 256> Map{};
    uint8_t GameType = 0;
};

inline constexpr int CategoryCount = 20;
extern const std::array<const char*, CategoryCount> CategoryNames;

// The process-wide scheme library.
extern std::vector<TCScheme> Schemes;
extern int SchemeCount;

// The scheme folder found among the data folders (FindDataFolder("cscheme")) + separator.
std::string SchemeFolder();
// Empties the library and reads default.bcs, then every .cscheme file below the scheme folder;
// then the same of the user's own scheme folder (DataFolderList).
void LoadSchemeLibrary();
// Appends the schemes of a default.bcs file (the records read completely, when cut short).
// Throws FileError when the file cannot be opened.
void ReadDefaultBCS(const std::string& path);
// The same from the bytes of a default.bcs file already in memory.
void ReadDefaultBCSBytes(std::span<const uint8_t> file);
// Appends the schemes of every .cscheme file in folder and its sub-folders, depth first.
void ScanSchemeFolder(const std::string& folder);
// One .cscheme file; a file that cannot be read gives a scheme with every default.
TCScheme ReadSchemeFile(const std::string& path);
// The same from the text of a .cscheme file.
TCScheme ParseSchemeText(const std::string& text);

bool SchemeVisible(int index, int category, const std::array<uint8_t, 256>& used);
TPalette RecolourPalette(const TPalette& palette, const TCScheme& scheme);
void ApplyScheme(TSHP& sprite, const TCScheme& scheme);

} // namespace vantrel
