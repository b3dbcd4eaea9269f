// Errors of POSIX calls, carried as exceptions whose text names the failing
// call and the system's own description ("tcsetattr /dev/pts/3: Input/output
// error").
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vqx {

class PosixError : public std::runtime_error {
 public:
  // `what` names the call and, where it helps, its object; `error` is the
  // errno value of the failure.
  PosixError(std::string_view what, int error);
  int error() const { return error_; }

 private:
  int error_;
};

// "<what>: <strerror(error)>".
std::string DescribeError(std::string_view what, int error);

}  // namespace vqx
