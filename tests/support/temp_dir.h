// A fresh temporary folder that becomes the current folder for one test.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host_path.h"

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/k4-test-XXXXXX";
        path = mkdtemp(pattern);
        old = std::filesystem::current_path();
        std::filesystem::current_path(path);
        plat::ClearPathCache();
    }
    ~TempDir() {
        std::filesystem::current_path(old);
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
        plat::ClearPathCache();
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path;

private:
    std::filesystem::path old;
};
