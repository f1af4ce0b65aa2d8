// The indexed learner against its literal reference path: on many small
// generated data sets and run scripts, hn_learner with --literal (full scans,
// linear searches, no index or cache) and without it must write the same
// bytes everywhere.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Everything one run leaves behind.
struct RunRecord {
  int status;
  std::string out;
  std::string err;
  std::string log;
  std::string output;
  bool operator==(const RunRecord&) const = default;
};

class Scenario {
 public:
  explicit Scenario(unsigned seed) : random(seed) {
    root = fs::temp_directory_path() /
           ("hn_literal_test_" + std::to_string(std::random_device()()));
    fs::create_directories(root);
    write();
  }
  ~Scenario() { fs::remove_all(root); }

  RunRecord run(const std::string& arguments) const {
    const fs::path work = root / arguments;  // one folder per variant
    fs::create_directories(work);
    for (const char* name : {"configure.txt", "s.csv", "i.csv"}) {
      fs::copy_file(root / name, work / name);
    }
    std::ostringstream command;
    command << "cd '" << work.string() << "' && '" << HN_LEARNER_PATH
            << "' --seed " << seed << ' ' << arguments << " > out 2> err";
    const int status = std::system(command.str().c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            readFile(work / "out"), readFile(work / "err"),
            readFile(work / "result.txt"),
            readFile(work / (direction == "0" ? "image.txt" : "text.txt"))};
  }

  std::string describe() const { return readFile(root / "configure.txt"); }
  unsigned threads() const { return threadCount; }

 private:
  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  }

  void write() {
    direction = std::to_string(pick(0, 1));
    const int order = pick(0, 4);
    const int order2 = pick(0, 6);
    const char* updates[] = {"0.5", "0.1", "0", "-0.5"};
    threadCount = static_cast<unsigned>(pick(1, 2));
    seed = static_cast<unsigned>(pick(0, 1000));
    std::ofstream(root / "configure.txt")
        << direction << '\n'
        << order << '\n'
        << order2 << '\n'
        << pick(1, 5) << '\n'
        << updates[pick(0, 3)] << '\n'
        << pick(0, 40) << "\ns.csv\ni.csv\ntext.txt\nimage.txt\n";

    // Few words and few image values, so that windows repeat, hyperedges
    // collide and vote sums tie; -1 words are wildcards.
    std::ofstream sentences(root / "s.csv");
    std::ofstream images(root / "i.csv");
    const int pairs = pick(1, 12);
    const int imageLength = pick(1, 30);
    for (int pair = 0; pair < pairs; ++pair) {
      const int words = pick(0, 8);
      for (int w = 0; w < words; ++w) {
        sentences << (w > 0 ? "," : "") << (pick(0, 12) == 0 ? -1 : pick(0, 5));
      }
      sentences << '\n';
      for (int p = 0; p < imageLength; ++p) {
        images << (p > 0 ? "," : "") << pick(0, pick(0, 3));
      }
      images << '\n';
    }
  }

  std::mt19937 random;
  fs::path root;
  std::string direction;
  unsigned threadCount = 1;
  unsigned seed = 0;
};

TEST(LiteralPath, IndexedRunsWriteExactlyWhatTheLiteralPathWrites) {
  for (unsigned scenario = 0; scenario < 60; ++scenario) {
    const Scenario data(scenario);
    const RunRecord literal = data.run("--literal --threads 1");
    const RunRecord indexed =
        data.run("--threads " + std::to_string(data.threads()));
    EXPECT_EQ(literal, indexed)
        << "scenario " << scenario << ", run script:\n"
        << data.describe();
    EXPECT_NE(std::string::npos, literal.out.find("#1 Init Sampling Step"))
        << "scenario " << scenario;
  }
}

}  // namespace
