#pragma once
// brenna-cli as the tests run it, and the files its commands write. Header
// only: BRENNA_CLI_PATH is set for each test program that runs the CLI.
#include "TempDir.h"

#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

// The built brenna-cli: from the test environment, else where the build put it.
inline std::string CliPath()
{
    const std::string fromEnvironment = TestBinFolder() + "/brenna-cli";
#ifdef BRENNA_CLI_PATH
    if (::access(fromEnvironment.c_str(), X_OK) != 0)
        return BRENNA_CLI_PATH;
#endif
    return fromEnvironment;
}

// A whole file as it is on disk; empty when it cannot be read.
inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}
