#pragma once

// Outcomes of file operations: a value or a message that says why there is none. Messages are
// UTF-8, ready to show; the Windows paths inside them are converted from Windows-1252.

#include <optional>
#include <string>
#include <utility>

namespace tunexa::files {

template <class T>
class Result {
  public:
    static Result success(T value) {
        Result result;
        result.value_ = std::move(value);
        return result;
    }
    static Result failure(std::string message) {
        Result result;
        result.error_ = std::move(message);
        return result;
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    // Empty on success.
    const std::string& error() const { return error_; }

  private:
    Result() = default;
    std::optional<T> value_;
    std::string error_;
};

// Success, or the message that says what failed.
class Status {
  public:
    static Status success() { return Status(); }
    static Status failure(std::string message) {
        Status status;
        status.ok_ = false;
        status.error_ = std::move(message);
        return status;
    }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::string& error() const { return error_; }

  private:
    Status() = default;
    bool ok_ = true;
    std::string error_;
};

}  // namespace tunexa::files
