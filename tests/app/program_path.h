// Where a suite finds the program it runs as a child process.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

// The build's own program (built), or, when KALVO_TEST_PROGRAMS names a
// folder, the file of the same name there: the programs as a package holds
// them, which is what users get. Under wine a unix path is given as the
// Windows path wine shows it under.
inline std::string program_path(std::string built) {
    if (const char *folder = std::getenv("KALVO_TEST_PROGRAMS"); folder && *folder)
        built = std::string(folder) + "/" + std::filesystem::path(built).filename().string();
#ifdef _WIN32
    if (built.front() == '/')
        built = "Z:" + built;
    std::replace(built.begin(), built.end(), '/', '\\');
#endif
    return built;
}
