#pragma once
// A codec's answer: the value it made, or the reason it made none.
#include <optional>
#include <utility>

namespace polyvane {

template <typename Value, typename Error> class [[nodiscard]] Result {
  public:
    Result(Value value) : m_value(std::move(value)) {}
    Result(Error error) : m_error(std::move(error)) {}

    [[nodiscard]] bool has_value() const { return m_value.has_value(); }
    [[nodiscard]] explicit operator bool() const { return has_value(); }
    [[nodiscard]] Value& value() { return *m_value; }
    [[nodiscard]] const Value& value() const { return *m_value; }
    [[nodiscard]] Value& operator*() { return *m_value; }
    [[nodiscard]] Value* operator->() { return &*m_value; }
    // Meaningful only when there is no value.
    [[nodiscard]] const Error& error() const { return m_error; }

  private:
    std::optional<Value> m_value;
    Error m_error{};
};

} // namespace polyvane
