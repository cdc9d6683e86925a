// libFuzzer entry point of the picture target (see FuzzPictureChecks.h).
#include "FuzzPictureChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vantrel::fuzz::CheckPicture({data, size});
    return 0;
}
