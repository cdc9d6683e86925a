#include "WorkBudget.h"

#include <algorithm>

namespace vantrel {

uint64_t WorkBudget(uint64_t fileBytes)
{
    return std::max(WorkBudgetFloor, fileBytes > UINT64_MAX / WorkPixelsPerFileByte ? UINT64_MAX
                                                                                    : fileBytes * WorkPixelsPerFileByte);
}

std::string PictureSizeProblem(uint64_t width, uint64_t height)
{
    const bool tooWide = width > uint64_t(INT32_MAX) || height > uint64_t(INT32_MAX);
    if (!tooWide && width * height <= MaxPicturePixels)
        return {};
    return "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is larger than the limit of " + GroupedNumber(MaxPicturePixels) + " pixels";
}

std::string WorkProblem(uint64_t pixels, uint64_t files, uint64_t fileBytes, uint64_t weight)
{
    const uint64_t budget = WorkBudget(fileBytes) / std::max<uint64_t>(weight, 1);
    const uint64_t fileBudget = std::max(PictureFilesFloor, fileBytes / FileBytesPerPictureFile);
    const std::string asked = " more than a file of " + GroupedNumber(fileBytes) + " bytes may ask for (at most ";
    if (pixels > budget)
        return "that is " + GroupedNumber(pixels) + " pixels to handle," + asked + GroupedNumber(budget) + ")";
    if (files > fileBudget)
        return "that is " + GroupedNumber(files) + " files to write," + asked + GroupedNumber(fileBudget) + ")";
    return {};
}

std::string GroupedNumber(uint64_t n)
{
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, 1, ',');
    return digits;
}

} // namespace vantrel
