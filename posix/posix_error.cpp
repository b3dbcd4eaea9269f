#include "posix/posix_error.h"

#include <cstring>

namespace vqx {

std::string DescribeError(std::string_view what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

PosixError::PosixError(std::string_view what, int error)
    : std::runtime_error(DescribeError(what, error)), error_(error) {}

}  // namespace vqx
