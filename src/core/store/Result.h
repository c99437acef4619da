#pragma once

#include <QString>

#include <optional>
#include <type_traits>
#include <utility>

namespace quorrel {

// Why an operation failed, in words for the log (the window chooses what the user reads).
struct Error
{
    QString text;
};

// The answer of an operation that can fail: a value, or the error that stopped it. The error
// travels with the answer, so a message never carries a failure from an earlier statement.
// Reads like std::optional: test it, then dereference.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_error(std::move(error.text)) {}

    bool ok() const { return m_value.has_value(); }
    bool has_value() const { return ok(); }
    explicit operator bool() const { return ok(); }

    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    const T& value() const { return *m_value; }
    T value_or(T fallback) const { return m_value ? *m_value : std::move(fallback); }

    // Empty when the operation succeeded.
    const QString& error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : m_failed(true), m_error(std::move(error.text)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

using Done = Result<void>;

template <typename T> struct IsResult : std::false_type
{};
template <typename T> struct IsResult<Result<T>> : std::true_type
{};

// Compared as std::optional compares: equal to a value when it holds that value, equal to
// std::nullopt when it failed.
template <typename T, typename U>
requires(!IsResult<U>::value && !std::is_same_v<U, std::nullopt_t>) bool operator==(const Result<T>& result,
                                                                                    const U& value)
{
    return result.ok() && *result == value;
}
template <typename T> bool operator==(const Result<T>& result, std::nullopt_t)
{
    return !result.ok();
}

} // namespace quorrel
