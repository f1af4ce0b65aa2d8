// Runs the built sentence_assembler in a fresh folder and compares its
// standard output, standard error, exit status and output file byte for
// byte.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "testing/special_files.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string standardOutput;
  std::string standardError;
};

class SentenceAssemblerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "sentence_assembler_XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    root_ = pattern;
    folder_ = root_ / "work";
    fs::create_directory(folder_);
  }

  void TearDown() override { fs::remove_all(root_); }

  void write(const std::string& name, const std::string& content) const {
    std::ofstream(folder_ / name, std::ios::binary) << content;
  }

  std::string read(const fs::path& path) const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  bool exists(const std::string& name) const {
    return fs::exists(folder_ / name);
  }

  // Standard output and error are captured outside the working folder so
  // that they do not show up among the program's files. `shellPrefix` may
  // set limits first. A run that does not end within a minute is stopped
  // (status -1), so that a regression cannot hang the tests.
  Outcome runProgram(const std::string& arguments = "",
                     const std::string& shellPrefix = "") const {
    const fs::path out = root_ / "stdout.txt";
    const fs::path err = root_ / "stderr.txt";
    const std::string command =
        "cd '" + folder_.string() + "' && " + shellPrefix +
        "timeout -s KILL 60 '" + SENTENCE_ASSEMBLER_PATH + "' " + arguments +
        " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int wait = std::system(command.c_str());
    Outcome result;
    if (WIFEXITED(wait) && WEXITSTATUS(wait) != 137) {
      result.status = WEXITSTATUS(wait);
    }
    result.standardOutput = read(out);
    result.standardError = read(err);
    return result;
  }

  std::string output(const std::string& name) const {
    return read(folder_ / name);
  }

  void writeFiles(const std::string& input) const {
    write("configure.txt", "in.txt\nout.txt\n");
    write("dic.txt", "the\ncat\nsat\non\nmat\n");
    write("in.txt", input);
  }

  void expectSilentSuccess(const Outcome& outcome) const {
    EXPECT_EQ(0, outcome.status);
    EXPECT_EQ("", outcome.standardOutput);
    EXPECT_EQ("", outcome.standardError);
  }

  void expectFailure(const Outcome& outcome, const std::string& message) const {
    EXPECT_EQ(1, outcome.status);
    EXPECT_EQ("", outcome.standardOutput);
    EXPECT_EQ("sentence_assembler: " + message + "\n", outcome.standardError);
  }

  fs::path root_;
  fs::path folder_;
};

TEST_F(SentenceAssemblerRun, WritesOneSentencePerRecord) {
  writeFiles(
      "line : 0\n"
      "{(1,2,4):4}\n{(0,1,2):0.5}\n{(5,1,2):3}\n{(2,3,4):2.5}\n{(1,2,3):2}\n"
      "line : 1\n"
      "line : 2\n"
      "{(1,30005,3):2}\n{(1,30005,2):1}\n"
      "line : 3\n"
      "{(0,5,2):1}\n{(0,5,7):1}\n{(-1,0,5):1}\n"
      "line : 4\n"
      "{(1,2,3):1}");
  expectSilentSuccess(runProgram());
  EXPECT_EQ(
      "mat the cat sat on \n"
      "\n"
      "the cat \n"
      "<unknown> aa mat <unknown> \n"
      "the cat \n",
      output("out.txt"));
}

TEST_F(SentenceAssemblerRun, InputWithOnlyItsFirstLineGivesOneEmptyLine) {
  writeFiles("line : 0\n");
  expectSilentSuccess(runProgram());
  EXPECT_EQ("\n", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, EmptyInputGivesEmptyOutputFile) {
  writeFiles("");
  write("out.txt", "left from an earlier run\n");
  expectSilentSuccess(runProgram());
  EXPECT_EQ("", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, PathsAreTakenWholeButForACarriageReturn) {
  writeFiles("line : 0\n{(1,2,3):1}\n");
  fs::rename(folder_ / "in.txt", folder_ / "my in.txt");
  write("configure.txt", "my in.txt\r\nmy out.txt\r\nextra\r\n");
  expectSilentSuccess(runProgram());
  EXPECT_EQ("the cat \n", output("my out.txt"));
}

TEST_F(SentenceAssemblerRun, MissingConfigureIsReported) {
  writeFiles("line : 0\n");
  fs::remove(folder_ / "configure.txt");
  expectFailure(runProgram(), "cannot open configure.txt");
  EXPECT_FALSE(exists("out.txt"));
}

TEST_F(SentenceAssemblerRun, MissingDictionaryIsReported) {
  writeFiles("line : 0\n");
  fs::remove(folder_ / "dic.txt");
  expectFailure(runProgram(), "cannot open dic.txt");
  EXPECT_FALSE(exists("out.txt"));
}

TEST_F(SentenceAssemblerRun, MissingInputIsReportedAndOutputLeftAlone) {
  writeFiles("");
  fs::remove(folder_ / "in.txt");
  write("out.txt", "earlier sentences\n");
  expectFailure(runProgram(),
                "cannot open input file \"in.txt\" (configure.txt line 1)");
  EXPECT_EQ("earlier sentences\n", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, UnreadableInputIsReported) {
  writeFiles("");
  fs::create_directory(folder_ / "folder");
  write("configure.txt", "folder\nout.txt\n");
  expectFailure(runProgram(),
                "cannot read input file \"folder\" (configure.txt line 1)");
}

TEST_F(SentenceAssemblerRun, OutputInMissingFolderIsReported) {
  writeFiles("line : 0\n");
  write("configure.txt", "in.txt\nmissing/out.txt\n");
  expectFailure(runProgram(),
                "cannot create output file \"missing/out.txt\" "
                "(configure.txt line 2)");
}

TEST_F(SentenceAssemblerRun, MissingOutputLineIsReported) {
  writeFiles("line : 0\n");
  write("configure.txt", "in.txt\n");
  expectFailure(runProgram(),
                "cannot create output file \"\" (configure.txt line 2)");
}

// A disk that fills up is played by a limit on the size of every file the
// run writes.
TEST_F(SentenceAssemblerRun, FailedWriteIsReported) {
  std::string input = "line : 0\n";
  for (int record = 1; record < 200; ++record) {
    input += "{(1,2,3):1}\nline : " + std::to_string(record) + "\n";
  }
  writeFiles(input);
  expectFailure(runProgram("", "trap '' XFSZ; ulimit -f 1 && "),
                "cannot write output file \"out.txt\" (configure.txt line 2)");
}

TEST_F(SentenceAssemblerRun, OutputThatIsNoRegularFileIsRefused) {
  const struct {
    std::string name;  // the special file
    std::string outputPath;
  } cases[] = {
      {"out.txt", "out.txt"},
      // Links are followed to the file they lead to.
      {"special", "link.txt"},
  };
  for (const auto& c : cases) {
    for (const std::string kind : hn::testing::kSpecialKinds) {
      writeFiles("line : 0\n{(1,2,3):1}\n");
      write("configure.txt", "in.txt\n" + c.outputPath + "\n");
      fs::remove_all(folder_ / c.name);
      fs::remove(folder_ / "link.txt");
      fs::create_symlink("special", folder_ / "link.txt");
      if (!hn::testing::makeSpecialFile(folder_ / c.name, kind)) continue;
      const fs::file_type type = fs::status(folder_ / c.name).type();
      const Outcome outcome = runProgram();
      EXPECT_EQ(2, outcome.status) << c.outputPath << " as " << kind;
      EXPECT_EQ("sentence_assembler: output file \"" + c.outputPath +
                    "\" (configure.txt line 2) is " + kind +
                    ", not a regular file; nothing was written\n",
                outcome.standardError);
      EXPECT_EQ(type, fs::status(folder_ / c.name).type());
      EXPECT_TRUE(fs::is_symlink(folder_ / "link.txt"));
    }
  }
}

TEST_F(SentenceAssemblerRun, OutputIsWrittenThroughALinkWhichStays) {
  writeFiles("line : 0\n{(1,2,3):1}\n");
  write("configure.txt", "in.txt\nlink.txt\n");
  fs::create_symlink("sentences.txt", folder_ / "link.txt");
  expectSilentSuccess(runProgram());
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.txt"));
  EXPECT_EQ("the cat \n", output("sentences.txt"));
}

TEST_F(SentenceAssemblerRun, HelpAndUnknownArgumentsWriteNothing) {
  writeFiles("line : 0\n{(1,2,3):1}\n");
  const Outcome help = runProgram("--help");
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(
      0u, help.standardOutput.find(
              "usage: sentence_assembler [--whole-first-fragment] [--help]\n"))
      << help.standardOutput;
  EXPECT_EQ("", help.standardError);
  for (const std::string argument :
       {"--bogus", "out.txt", "-", "--whole-first-fragment=1"}) {
    const Outcome wrong = runProgram("'" + argument + "'");
    EXPECT_EQ(2, wrong.status) << argument;
    EXPECT_EQ("", wrong.standardOutput) << argument;
    EXPECT_EQ(0u, wrong.standardError.find(
                      "sentence_assembler: unknown argument \"" + argument +
                      "\"\n\nusage: sentence_assembler"))
        << wrong.standardError;
  }
  EXPECT_FALSE(exists("out.txt"));
}

// Chains of windows of "a small blue square", as the learner writes them.
TEST_F(SentenceAssemblerRun, WholeFirstFragmentSeedsWithEveryValue) {
  write("configure.txt", "in.txt\nout.txt\n");
  write("dic.txt", "a\nsmall\nblue\nsquare\nbig\nred\n");
  write("in.txt",
        "line : 0\n{(1,2):3}\n{(2,3):2}\n{(3,4):1}\n"
        "line : 1\n{(1,2,3):2}\n{(2,3,4):1}\n"
        "line : 2\n{(5,6,4):2}\n{(1,2,3):1}\n"
        "line : 3\n{(1,2):0.5}\n");
  const struct {
    const char* arguments;
    const char* sentences;
  } cases[] = {
      {"", "a \na small \nbig red \n\n"},
      {"--whole-first-fragment",
       "a small blue square \na small blue square \nbig red square \n\n"},
  };
  for (const auto& c : cases) {
    expectSilentSuccess(runProgram(c.arguments));
    EXPECT_EQ(c.sentences, output("out.txt")) << c.arguments;
  }
}

TEST_F(SentenceAssemblerRun, AnOutputThatIsAFileItReadsIsRefused) {
  const struct {
    std::string configure;
    std::string message;
  } cases[] = {
      {"in.txt\nin.txt\n",
       "output file \"in.txt\" (configure.txt line 2) is the same file as "
       "input file \"in.txt\" (configure.txt line 1)"},
      {"in.txt\n./sub/../in.txt\n",
       "output file \"./sub/../in.txt\" (configure.txt line 2) is the same "
       "file as input file \"in.txt\" (configure.txt line 1)"},
      {"in.txt\nlink.txt\n",
       "output file \"link.txt\" (configure.txt line 2) is the same file as "
       "input file \"in.txt\" (configure.txt line 1)"},
      {"in.txt\nconfigure.txt\n",
       "output file \"configure.txt\" (configure.txt line 2) is the same "
       "file as configure.txt itself"},
      {"in.txt\ndic.txt\n",
       "output file \"dic.txt\" (configure.txt line 2) is the same file as "
       "the dictionary dic.txt"},
  };
  for (const auto& c : cases) {
    writeFiles("line : 0\n{(1,2,3):1}\n");
    write("configure.txt", c.configure);
    fs::create_directory(folder_ / "sub");
    fs::remove(folder_ / "link.txt");
    fs::create_symlink("in.txt", folder_ / "link.txt");
    const Outcome outcome = runProgram();
    EXPECT_EQ(2, outcome.status) << c.configure;
    EXPECT_EQ("sentence_assembler: " + c.message + "; nothing was written\n",
              outcome.standardError);
    EXPECT_EQ("line : 0\n{(1,2,3):1}\n", output("in.txt")) << c.configure;
    EXPECT_EQ(c.configure, output("configure.txt"));
    EXPECT_EQ("the\ncat\nsat\non\nmat\n", output("dic.txt"));
  }
}

TEST_F(SentenceAssemblerRun, UnreadableInputLeavesTheOutputAlone) {
  writeFiles("");
  fs::create_directory(folder_ / "folder");
  write("configure.txt", "folder\nout.txt\n");
  write("out.txt", "earlier sentences\n");
  expectFailure(runProgram(),
                "cannot read input file \"folder\" (configure.txt line 1)");
  EXPECT_EQ("earlier sentences\n", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, UnreadableDictionaryIsReported) {
  writeFiles("line : 0\n");
  fs::remove(folder_ / "dic.txt");
  fs::create_directory(folder_ / "dic.txt");
  expectFailure(runProgram(), "cannot read dic.txt");
  EXPECT_FALSE(exists("out.txt"));
}

// The record of the issue: with "inf" in place of 9 the strongest fragment
// was dropped and the sentence became "a big".
TEST_F(SentenceAssemblerRun, AnInfiniteWeightKeepsTheStrongestFragment) {
  for (const std::string weight : {"9", "inf", "1e999"}) {
    writeFiles("line : 0\n{(1,2,3):" + weight + "}\n{(2,3,4):2}\n");
    write("dic.txt", "aa\na\nbig\nsmall\nx\n");
    expectSilentSuccess(runProgram());
    EXPECT_EQ("aa a \n", output("out.txt")) << weight;
  }
  writeFiles("line : 0\n{(1,2,3):nan}\n{(2,3,4):2}\n");
  write("dic.txt", "aa\na\nbig\nsmall\nx\n");
  expectSilentSuccess(runProgram());
  EXPECT_EQ("a big \n", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, CrLfDictionaryWritesNoCarriageReturn) {
  writeFiles("line : 0\r\n{(1,2,3):1}\r\n");
  write("dic.txt", "the\r\ncat\r\nsat\r\n");
  expectSilentSuccess(runProgram());
  EXPECT_EQ("the cat \n", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, RunningOutOfMemoryEndsWithTheMessageAnd255) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer cannot run under a memory limit";
#endif
  // One line of 64 MiB: reading it needs more than the limit allows.
  write("configure.txt", "in.txt\nout.txt\n");
  write("dic.txt", "the\n");
  {
    std::ofstream in(folder_ / "in.txt", std::ios::binary);
    in << "line : 0\n";
    const std::string block(1 << 20, '7');
    for (int i = 0; i < 64; ++i) in << block;
    in << '\n';
  }
  write("out.txt", "earlier sentences\n");
  const Outcome outcome = runProgram("", "ulimit -v 40000 && ");
  EXPECT_EQ(255, outcome.status);
  EXPECT_EQ("cannot allocate memory!!\n", outcome.standardError);
  // The first record could not be read: the output was not created yet.
  EXPECT_EQ("earlier sentences\n", output("out.txt"));
}

TEST_F(SentenceAssemblerRun, AKilledRunKeepsTheSentencesOfFinishedRecords) {
  writeFiles("");
  fs::remove(folder_ / "in.txt");
  ASSERT_EQ(0, ::mkfifo((folder_ / "in.txt").c_str(), 0600));
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(folder_.c_str()) != 0) ::_exit(127);
    ::execl(SENTENCE_ASSEMBLER_PATH, SENTENCE_ASSEMBLER_PATH,
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Two records are complete once the third header arrives; the input
  // stays open, so the run is still going when it is killed.
  std::ofstream fifo(folder_ / "in.txt");
  fifo << "line : 0\n{(1,2,3):1}\nline : 1\n{(2,3,4):1}\nline : 2\n"
       << std::flush;
  bool written = false;
  for (int i = 0; i < 6000 && !written; ++i) {
    written = output("out.txt") == "the cat \ncat sat \n";
    if (!written) ::usleep(5000);
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(written) << output("out.txt");
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ("the cat \ncat sat \n", output("out.txt"));
}

}  // namespace
