// vantrel-makeman FILE: writes the manual page of vantrel-cli, made from its help texts.
#include "Version.h"
#include "cli/Commands.h"
#include "sprite/FileUtil.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <span>

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: vantrel-makeman FILE\n");
        return 2;
    }
    try {
        const std::string page = vantrel::cli::ManPage(vantrel::VersionText);
        std::filesystem::create_directories(std::filesystem::path(argv[1]).parent_path());
        vantrel::WriteFileAtomic(argv[1], std::span(reinterpret_cast<const uint8_t*>(page.data()), page.size()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantrel-makeman: %s\n", e.what());
        return 1;
    }
    return 0;
}
