// A directory of a test's own for the files it reads and writes, removed
// when the test ends. The code under test is given names in Windows spelling.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TestDirectory {
  protected:
    void CreateTestDirectory(const std::string &prefix) {
        std::string pattern = "/tmp/" + prefix + "_XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        dir_ = pattern;
    }
    void RemoveTestDirectory() {
        if (dir_.empty()) return;
        std::string command = "rm -rf " + dir_;
        EXPECT_EQ(system(command.c_str()), 0);
    }

    // A file of these bytes in the test's directory; its name in Windows
    // spelling.
    std::u16string MakeFile(const std::string &name, const std::string &bytes) const {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
        return Path(name);
    }
    std::u16string Path(const std::string &name) const {
        std::string path = dir_ + "\\" + name;
        return std::u16string(path.begin(), path.end());
    }
    std::string Contents(const std::string &name) const {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    // Names in a directory (Linux path), "." and ".." left out.
    static std::vector<std::string> Entries(const std::string &dir) {
        std::vector<std::string> names;
        DIR *d = opendir(dir.c_str());
        if (!d) return names;
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
        return names;
    }
    std::vector<std::string> Entries() const { return Entries(dir_); }

    std::string dir_;
};
