// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outcome of a file operation: a value, or one message that says what failed and
// where, ready to show the user or print on stderr.
#include <string>
#include <utility>
#include <variant>

namespace pv {

struct FileError {
  std::string message;
};

template <class T>
class FileResult {
 public:
  FileResult(T value) : state_(std::move(value)) {}
  FileResult(FileError error) : state_(std::move(error)) {}

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<T>(state_); }
  const T& value() const& { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  const FileError& error() const { return std::get<FileError>(state_); }

 private:
  std::variant<T, FileError> state_;
};

// The value of an operation that only succeeds or fails.
struct Done {};
using FileStatus = FileResult<Done>;

inline FileStatus Succeeded() {
  return Done{};
}

}  // namespace pv
