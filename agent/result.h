// How the engine and the clock report a failure. A call that can fail returns Result<T>: either its value or
// a text that says what failed, where and why, in words fit for standard error or a tip ("cannot read
// genie.acs: the animation 'Wave' frame 3 names image 9000 of 812"). Nothing else carries a failure: no
// bool with an errorString() to fetch afterwards, no error out-parameter, no result struct of its own.
//
// std::optional stays for a value that may simply be absent and owes no reason (a setting that is not a
// number, an animation that is not in the file); Result is for a failure someone must be told about.
//
//     Result<QImage> image(int index);
//     if (auto image = file.image(3)) use(*image); else qWarning() << image.error();
//     return agent::fail(QStringLiteral("no stream named %1").arg(name));
#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace agent {

// The failure half of a Result, convertible to a Result of any type.
struct Failure {
    QString message;
};

inline Failure fail(QString message) {
    return Failure{std::move(message)};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure.message)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only to be asked for when ok().
    T& value() & { return *std::get_if<0>(&state_); }
    const T& value() const& { return *std::get_if<0>(&state_); }
    T&& value() && { return std::move(*std::get_if<0>(&state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    T valueOr(T fallback) const& { return ok() ? value() : std::move(fallback); }

    // Empty when ok().
    QString error() const { return ok() ? QString() : *std::get_if<1>(&state_); }

    // Passes a failure on to a caller whose Result holds another type.
    Failure failure() const { return Failure{error()}; }

private:
    std::variant<T, QString> state_;
};

// A call with nothing to give back but success.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), error_(std::move(failure.message)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    QString error() const { return error_; }
    Failure failure() const { return Failure{error_}; }

private:
    bool failed_ = false;
    QString error_;
};

using Status = Result<void>;

}  // namespace agent
