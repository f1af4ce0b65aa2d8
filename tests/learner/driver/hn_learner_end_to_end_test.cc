// Runs the built hn_learner in a fresh folder and checks what it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

struct Run {
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

  fs::path work() const { return root_ / "work"; }

  Run run(const std::string& arguments = "") const {
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

std::string firstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

TEST(LearnerEntry, PrintsTheJoinedDataFileNamesFirst) {
  LearnerFolder folder;
  writeFile(folder.work() / "configure.txt",
            "1\n2\n1\n1\n0.5\n3\ns.csv\ni.csv\nout.txt\nimg.txt\n");
  EXPECT_EQ("s.csv,i.csv", firstLine(folder.run().out));
}

TEST(LearnerEntry, WithoutARunScriptTheNamesAreEmpty) {
  LearnerFolder folder;
  EXPECT_EQ(",", firstLine(folder.run().out));
}

}  // namespace
