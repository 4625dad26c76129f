// A fresh folder per test for the file layer's suites, with helpers to look
// at files from outside the layer.
#pragma once

#include "file/file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_init();
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir = fs::temp_directory_path() / ("kalvo file " + std::to_string(stamp));
        fs::create_directories(dir);
    }
    void TearDown() override {
        file_close(ANY);
        fs::remove_all(dir);
    }
    // A name with a space and a non-ASCII letter, as users pick them.
    WideText name(const char *base) const { return (dir / base).u16string() + u" Kanäle.mem"; }
    static std::string bytes_of(const fs::path &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string contents(const char *base) const { return bytes_of(name(base)); }
    void put(const char *base, const std::string &bytes) const {
        std::ofstream(fs::path(name(base)), std::ios::binary) << bytes;
    }
    std::ptrdiff_t files_in_folder() const {
        return std::distance(fs::directory_iterator(dir), {});
    }
    fs::path dir;
};
