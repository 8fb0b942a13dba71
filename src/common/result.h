#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tavrin {

// The outcome of an operation that can fail: its value, or a text that says
// why it failed (for a status field, a message box or the event log).
// Where a value may simply be absent, std::optional is used instead.
template <typename T>
class Result {
  public:
    static Result Success(T value) { return Result(std::move(value), {}); }
    static Result Failure(std::string why) { return Result(std::nullopt, std::move(why)); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const std::string& failure() const { return m_failure; }

  private:
    Result(std::optional<T> value, std::string failure)
        : m_value(std::move(value)), m_failure(std::move(failure)) {}

    std::optional<T> m_value;
    std::string m_failure;
};

}  // namespace tavrin
