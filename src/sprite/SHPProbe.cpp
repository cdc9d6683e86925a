// The content probe: does a file hold an SHP sprite of either layout? It reads only the headers
// and the end of the TD/RA1 offset table.
#include "SHP.h"
#include "SHPReadUtil.h"

namespace vantrel {

using namespace shpread;

bool IsSHPFile(const std::string& name)
{
    TFileSource source(name);
    return ProbeTD(source) || ProbeTS(source);
}

bool ProbeTD(TByteSource& source)
{
    uint8_t header[14];
    if (source.ReadAt(0, header, sizeof header) != sizeof header)
        return false;
    const uint64_t count = ReadU16(header);
    if (count == 0 || ReadU16(header + 6) == 0 || ReadU16(header + 8) == 0)
        return false;
    const uint64_t size = source.Size();
    if (size - sizeof header < (count + 2) * 8)
        return false;
    uint8_t last[16];
    if (source.ReadAt(sizeof header + count * 8, last, sizeof last) != sizeof last)
        return false;
    return ReadU24(last) == size || ReadU24(last + 8) == size;
}

bool ProbeTS(TByteSource& source)
{
    uint8_t header[8];
    if (source.ReadAt(0, header, sizeof header) != sizeof header)
        return false;
    const uint64_t count = ReadU16(header + 6);
    if (ReadU16(header) != 0 || ReadU16(header + 2) == 0 || ReadU16(header + 4) == 0 || count == 0)
        return false;
    return source.Size() - sizeof header >= count * 24;
}

} // namespace vantrel
