#pragma once
// Runs the vorn-lut binary (or another program) as a child process and collects what it
// printed.

#include <string>
#include <vector>

namespace vorn::test {

struct TCliResult {
  int Status = -1;  // the exit status, or 128 + the signal that ended the program
  std::string Out;
  std::string Err;
  long PeakResidentKb = 0;  // the program's largest resident size
};

enum class TErrorStream { Pipe, Terminal };

// Standard input is /dev/null. With TErrorStream::Terminal, standard error is a
// pseudo-terminal (whose line discipline turns "\n" into "\r\n").
TCliResult RunCli(const std::vector<std::string>& args,
                  TErrorStream errorStream = TErrorStream::Pipe);

// Another program, found through PATH, with standard input read from inputPath.
TCliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& inputPath = "/dev/null");

// Runs vorn-lut through /bin/sh as `prefix PROGRAM ARGS...`: prefix is shell text such as
// "ulimit -f 64; exec" or "exec setpriv ..." (a command that starts the program with fewer
// rights).
TCliResult RunCliAfter(const std::string& prefix, const std::vector<std::string>& args);

// The prefix that runs the program as nobody (a root test process's files stay out of its
// reach unless they are opened to others).
std::string AsNobody();

// The lines of a text without their line breaks.
std::vector<std::string> Lines(const std::string& text);

// The tab-separated fields of a line.
std::vector<std::string> Fields(const std::string& line);

}  // namespace vorn::test
