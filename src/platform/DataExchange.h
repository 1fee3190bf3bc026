#pragma once
// Data exchange between a dialog's bound values and its controls. A DDX_ call moves one value (to
// the control, or back from it when saving); the DDV_ call after it checks the value just read.
// The first failure shows its message, focuses the control and turns every later call into a no-op,
// so a DoDataExchange body reads as a plain list.
#include <cstdint>
#include <string>
#include <string_view>

namespace polyvane {

class CDialog;

// The framework's standard validation messages.
inline constexpr std::string_view kMsgEnterInteger = "Please enter an integer.";
// "Please enter an integer between MIN and MAX."
[[nodiscard]] std::string IntegerRangeMessage(std::int64_t minimum, std::int64_t maximum);

class CDataExchange {
  public:
    CDataExchange(CDialog& dialog, bool saveAndValidate)
        : m_pDlg(&dialog), m_bSaveAndValidate(saveAndValidate) {}

    [[nodiscard]] bool Failed() const { return m_bFailed; }
    // Shows `message`, moves the focus to the last control exchanged and stops the exchange.
    void Fail(std::string_view message);

    CDialog* m_pDlg;
    const bool m_bSaveAndValidate;
    // The control of the last DDX_ call, and the whole number its text held (saving only).
    int m_idLastControl = 0;
    std::int64_t m_lastValue = 0;

  private:
    bool m_bFailed = false;
};

// The whole number a control's text holds: optional blanks, an optional sign, decimal digits,
// optional blanks. Values too large for 64 bits saturate, so they still fail any range check.
[[nodiscard]] bool ParseWholeNumber(std::string_view text, std::int64_t& value);

// An edit and a signed 32-bit value ("%d").
void DDX_Text(CDataExchange& dx, int id, std::int32_t& value);
// An edit and an unsigned 8-bit value ("%u").
void DDX_Text(CDataExchange& dx, int id, std::uint8_t& value);
// Checks the value the last DDX_Text read; out of range: the range message.
void DDV_MinMaxInt(CDataExchange& dx, std::int32_t value, std::int32_t minimum, std::int32_t maximum);
void DDV_MinMaxByte(CDataExchange& dx, std::uint8_t value, std::uint8_t minimum, std::uint8_t maximum);
// A slider's position and an integer.
void DDX_Slider(CDataExchange& dx, int id, int& value);

} // namespace polyvane
