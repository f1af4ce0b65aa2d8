#pragma once

// A fresh working folder for running one of the built programs, shared by
// the end-to-end tests: files in and out, the program run by the shell with
// its standard output and error captured outside the folder, or started in
// the background so that a test can kill it.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// How long a run may take before it is taken for hung and killed: far
// beyond the slowest run of the tests, which under the sanitizers on a
// busy machine takes over a minute.
inline const std::string kRunSeconds = "600";

struct ProgramResult {
  // The exit status, or -1 when the program did not exit by itself (it
  // was killed after `kRunSeconds`).
  int status;
  std::string out;
  std::string err;
};

// Whether the tests are built with AddressSanitizer, which reserves far
// more address space than any memory limit allows.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// The shell command that limits the address space of what follows it to
// `kibibytes`, or nothing under AddressSanitizer.
inline std::string memoryLimit(long kibibytes) {
  if (kAddressSanitizer) return "";
  return "ulimit -v " + std::to_string(kibibytes) + " && ";
}

class ProgramFolder {
 public:
  ProgramFolder(std::string program, const std::string& prefix)
      : program_(std::move(program)) {
    std::random_device entropy;
    root_ =
        fs::temp_directory_path() / (prefix + "_" + std::to_string(entropy()));
    fs::create_directories(root_ / "work");
  }
  ~ProgramFolder() { fs::remove_all(root_); }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  fs::path work() const { return root_ / "work"; }

  void write(const std::string& name, const std::string& content) const {
    writeFile(work() / name, content);
  }
  std::string read(const std::string& name) const {
    return readFile(work() / name);
  }
  bool exists(const std::string& name) const {
    return fs::exists(fs::symlink_status(work() / name));
  }

  // Runs the program in the folder through the shell; `shellPrefix` may
  // set limits first (see `memoryLimit`). A run that does not end within a
  // minute is stopped, so that a regression cannot hang the tests.
  ProgramResult run(const std::string& arguments = "",
                    const std::string& shellPrefix = "") const {
    return runRedirected(arguments, shellPrefix,
                         "> '" + (root_ / "out").string() + "'");
  }

  // As `run`, with standard output sent where the shell redirection
  // `output` says (">full"); `out` stays empty.
  ProgramResult runWithStandardOutput(const std::string& arguments,
                                      const std::string& output) const {
    writeFile(root_ / "out", "");
    return runRedirected(arguments, "", output);
  }

  // Runs the program in the folder with every regular file it writes
  // limited to `blocks` blocks of `ulimit -f` (512 bytes in Debian's
  // /bin/sh, 1024 in bash): a write past the limit fails
  // with "File too large", as on a full disk. Standard output passes
  // through a pipe, which the limit does not touch.
  ProgramResult runWithFileSizeLimit(const std::string& arguments,
                                     int blocks) const {
    const std::string command =
        "cd '" + work().string() + "' && { trap '' XFSZ; ulimit -f " +
        std::to_string(blocks) + " && timeout -s KILL " + kRunSeconds + " '" +
        program_ + "' " + arguments + " 2>'" + (root_ / "err").string() +
        "'; echo $? >'" + (root_ / "status").string() + "'; } | cat >'" +
        (root_ / "out").string() + "'";
    if (std::system(command.c_str()) == -1) return {-1, "", ""};
    const int status = std::stoi(readFile(root_ / "status"));
    return {status == 137 ? -1 : status, readFile(root_ / "out"),
            readFile(root_ / "err")};
  }

  // Starts the program in the folder with `arguments`, without waiting for
  // it.
  pid_t start(const std::vector<std::string>& arguments = {}) const {
    std::vector<char*> argv = {const_cast<char*>(program_.c_str())};
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      if (::chdir(work().c_str()) != 0) ::_exit(127);
      const int out =
          ::open((root_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err =
          ::open((root_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, 1);
      ::dup2(err, 2);
      ::execv(program_.c_str(), argv.data());
      ::_exit(127);
    }
    return child;
  }

  // Sends a started program `signal` and waits for it to end; true when it
  // was still running and the signal ended it.
  static bool kill(pid_t child, int signal = SIGKILL) {
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == signal;
  }

 private:
  ProgramResult runRedirected(const std::string& arguments,
                              const std::string& shellPrefix,
                              const std::string& output) const {
    const std::string command =
        "cd '" + work().string() + "' && " + shellPrefix + "timeout -s KILL " +
        kRunSeconds + " '" + program_ + "' " + arguments + " " + output +
        " 2> '" + (root_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // timeout reports a killed program as 128 + 9.
    return {exitStatus == 137 ? -1 : exitStatus, readFile(root_ / "out"),
            readFile(root_ / "err")};
  }

  std::string program_;
  fs::path root_;
};

// Polls `done` every few milliseconds for up to 30 seconds.
inline bool waitFor(const std::function<bool()>& done) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace hn::testing
