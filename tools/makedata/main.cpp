// vantrel-makedata [FOLDER]: writes the default data set (palette/, Backgrounds/, SHPs/,
// cscheme/) into FOLDER, by default the folder of this program.
#include "MakeData.h"

#include "sprite/FileUtil.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    using namespace vantrel;
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "Usage: vantrel-makedata [FOLDER]\n");
        return 2;
    }
    try {
        makedata::TDataWriter out(argc == 2 ? std::string(argv[1]) : ExecutableFolder());
        makedata::MakePalettes(out);
        makedata::MakeBackgrounds(out);
        makedata::MakeSprites(out);
        makedata::MakeSchemes(out);
        std::printf("vantrel-makedata: %d files written, %d unchanged\n", out.FilesWritten(), out.FilesUnchanged());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantrel-makedata: %s\n", e.what());
        return 1;
    }
    return 0;
}
