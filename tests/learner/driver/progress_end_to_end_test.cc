// The progress line of a run that takes more than a second: on a terminal
// only, and never on standard output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "learner/driver/learner_folder_testing.h"

namespace {

using namespace hn::testing;

enum class ErrorStream { kTerminal, kPipe };

struct Captured {
  int status;
  std::string out;
  std::string err;
};

// Starts hn_learner with standard error on a pseudo-terminal or a pipe and
// standard output in a file. The sentence file is a named pipe fed only
// after a pause, so the run takes more than a second without using the
// processor.
Captured runSlowly(const LearnerFolder& folder, ErrorStream stream,
                   const char* option) {
  const fs::path sentences = folder.work() / "s.csv";
  EXPECT_EQ(0, mkfifo(sentences.c_str(), 0600));
  const std::string out = (folder.work() / ".." / "stdout").string();
  int reader = -1;
  int pipeEnds[2] = {-1, -1};
  pid_t child = -1;
  if (stream == ErrorStream::kTerminal) {
    child = forkpty(&reader, nullptr, nullptr, nullptr);
  } else {
    EXPECT_EQ(0, pipe(pipeEnds));
    child = fork();
  }
  if (child == 0) {
    if (stream == ErrorStream::kPipe) {
      dup2(pipeEnds[1], STDERR_FILENO);
      close(pipeEnds[0]);
      close(pipeEnds[1]);
    }
    const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(file, STDOUT_FILENO);
    if (chdir(folder.work().c_str()) != 0) _exit(126);
    execl(HN_LEARNER_PATH, "hn_learner", "--seed", "1", option,
          static_cast<char*>(nullptr));
    _exit(127);
  }
  if (stream == ErrorStream::kPipe) {
    close(pipeEnds[1]);
    reader = pipeEnds[0];
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  writeFile(sentences, "1,2,3\n4,5,6\n1,2,4\n2,5,6\n");

  std::string err;
  char buffer[4096];
  for (ssize_t got; (got = read(reader, buffer, sizeof buffer)) > 0;) {
    err.append(buffer, static_cast<std::size_t>(got));
  }
  close(reader);
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), err};
}

void writeData(const LearnerFolder& folder) {
  std::string images;
  for (int pair = 0; pair < 4; ++pair) {
    for (int position = 0; position < 4800; ++position) {
      if (position > 0) images += ',';
      images += std::to_string((position + pair) % 2);
    }
    images += '\n';
  }
  writeFile(folder.work() / "i.csv", images);
  writeFile(folder.work() / "configure.txt",
            "1\n2\n1\n2\n0.5\n4\ns.csv\ni.csv\ntext.txt\nimage.txt\n");
}

TEST(LearnerProgress, AppearsOnATerminalAndIsErasedAtTheEndOfEachStep) {
  LearnerFolder folder;
  writeData(folder);
  const Captured run = runSlowly(folder, ErrorStream::kTerminal, nullptr);
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("\repoch 2 of 2, weight update: "))
      << run.err;
  EXPECT_NE(std::string::npos, run.err.find("\rgeneration: 1/4 pairs"))
      << run.err;
  // Erased: the last thing written is a return after blanks.
  ASSERT_FALSE(run.err.empty());
  EXPECT_EQ('\r', run.err.back());
  EXPECT_EQ(std::string::npos, run.err.find('\n')) << run.err;
  EXPECT_EQ(std::string::npos, run.out.find('\r'));
  EXPECT_EQ(std::string::npos,
            readFile(folder.work() / "text.txt").find("pairs"));
}

TEST(LearnerProgress, NeverInAPipeNorWhenQuiet) {
  std::string outputs[2];
  {
    LearnerFolder folder;
    writeData(folder);
    const Captured run = runSlowly(folder, ErrorStream::kPipe, nullptr);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    outputs[0] = run.out + readFile(folder.work() / "text.txt");
  }
  {
    LearnerFolder folder;
    writeData(folder);
    const Captured run = runSlowly(folder, ErrorStream::kTerminal, "--quiet");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    outputs[1] = run.out + readFile(folder.work() / "text.txt");
  }
  EXPECT_EQ(outputs[0], outputs[1]);
}

}  // namespace
