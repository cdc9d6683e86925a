// How much a command may draw or write for one input file. Loading already refuses canvases out
// of proportion to a file's size, but a file of a few bytes can still ask for thousands of empty
// frames, or for one canvas that is cheap to hold and slow to draw, encode and write. So commands
// count, before they start, the pixels they will draw, encode or write (every frame's whole
// canvas, empty frames included, and the pixels of every picture made), and refuse work beyond
// the budget of the file; and no picture is larger than MaxPicturePixels.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// The largest picture made: a 16384 x 16384 sprite map holds 65535 frames of 64 x 64.
inline constexpr uint64_t MaxPicturePixels = 1ull << 28;

// The pixels a command may handle for a file: WorkBudgetFloor, or WorkPixelsPerFileByte for every
// byte of a larger file.
inline constexpr uint64_t WorkBudgetFloor = 1ull << 27;
inline constexpr uint64_t WorkPixelsPerFileByte = 256;
uint64_t WorkBudget(uint64_t fileBytes);

// The TD/RA1 writer encodes every frame's whole canvas, empty frames included, and a pixel of a
// real sprite costs it about as much as two drawn ones.
inline constexpr uint64_t TDEncodingWeight = 2;

// Making a file takes time whatever its size (the disk has to hold it before it replaces the
// target): a command makes at most PictureFilesFloor files, or one for every
// FileBytesPerPictureFile bytes of a larger input (an SHP file spends at least 8 bytes on each
// frame).
inline constexpr uint64_t PictureFilesFloor = 1024;
inline constexpr uint64_t FileBytesPerPictureFile = 8;

// "" when a picture of width x height pixels may be made, else why not.
std::string PictureSizeProblem(uint64_t width, uint64_t height);
// "" when `pixels` of work, each costing `weight`, and making `files` files fit the budget of a
// file of fileBytes, else why not.
std::string WorkProblem(uint64_t pixels, uint64_t files, uint64_t fileBytes, uint64_t weight = 1);

// A number with thousands separated by commas: 1,654,457,398.
std::string GroupedNumber(uint64_t n);

} // namespace vantrel
