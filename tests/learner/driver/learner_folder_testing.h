#pragma once

// Runs the built hn_learner in a fresh folder; shared by the end-to-end
// tests of the driver.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace hn::testing {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

struct ProgramResult {
  int status;
  std::string out;
  std::string err;
};

// A fresh working folder, removed with everything in it afterwards.
class LearnerFolder {
 public:
  LearnerFolder() {
    std::random_device entropy;
    root_ = fs::temp_directory_path() /
            ("hn_learner_test_" + std::to_string(entropy()));
    fs::create_directories(root_ / "work");
  }
  ~LearnerFolder() { fs::remove_all(root_); }
  LearnerFolder(const LearnerFolder&) = delete;
  LearnerFolder& operator=(const LearnerFolder&) = delete;

  fs::path work() const { return root_ / "work"; }

  ProgramResult run(const std::string& arguments = "") const {
    const std::string command = "cd '" + work().string() + "' && '" +
                                HN_LEARNER_PATH + "' " + arguments + " > '" +
                                (root_ / "out").string() + "' 2> '" +
                                (root_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            readFile(root_ / "out"), readFile(root_ / "err")};
  }

 private:
  fs::path root_;
};

}  // namespace hn::testing
