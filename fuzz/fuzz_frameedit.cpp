// libFuzzer entry point of the frameedit target (see FuzzChecks.h).
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vantrel::fuzz::CheckFrameEdit({data, size});
    return 0;
}
