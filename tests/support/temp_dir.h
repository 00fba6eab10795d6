// temp_dir.h - a fresh temporary directory made current for one test, so that tests
// which start the library (and write Log.txt there) never share files, even when
// CTest runs them side by side.
#ifndef VORLANE_TESTS_TEMP_DIR_H
#define VORLANE_TESTS_TEMP_DIR_H

#include <string>

class TempDir {
public:
    TempDir();   // mkdtemp under the system's temporary folder, then chdir into it
    ~TempDir();  // chdir back, remove the directory tree
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

private:
    std::string path_;
    std::string previous_;
};

#endif
