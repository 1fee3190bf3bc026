#include "DataExchange.h"

#include "CDialog.h"
#include "MessageBox.h"

#include <limits>

namespace polyvane {

std::string IntegerRangeMessage(std::int64_t minimum, std::int64_t maximum) {
    return "Please enter an integer between " + std::to_string(minimum) + " and " + std::to_string(maximum) +
           ".";
}

void CDataExchange::Fail(std::string_view message) {
    AfxMessageBox(message);
    m_pDlg->GotoDlgCtrl(m_idLastControl);
    m_bFailed = true;
}

bool ParseWholeNumber(std::string_view text, std::int64_t& value) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < text.size() && blank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = magnitude > kLimit ? magnitude : magnitude * 10 + (text[i] - '0');
    if (i == firstDigit)
        return false;
    while (i < text.size() && blank(text[i]))
        ++i;
    if (i != text.size())
        return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

namespace {

// Saving: reads the control's whole number into the exchange; false (after failing) when it is none.
bool ReadWholeNumber(CDataExchange& dx, int id) {
    dx.m_idLastControl = id;
    if (!ParseWholeNumber(dx.m_pDlg->GetDlgItemText(id), dx.m_lastValue)) {
        dx.Fail(kMsgEnterInteger);
        return false;
    }
    return true;
}

template <typename T> void StoreIfFits(const CDataExchange& dx, T& value) {
    if (dx.m_lastValue >= std::numeric_limits<T>::min() && dx.m_lastValue <= std::numeric_limits<T>::max())
        value = static_cast<T>(dx.m_lastValue);
}

void CheckRange(CDataExchange& dx, std::int64_t minimum, std::int64_t maximum) {
    if (dx.Failed() || !dx.m_bSaveAndValidate)
        return;
    if (dx.m_lastValue < minimum || dx.m_lastValue > maximum)
        dx.Fail(IntegerRangeMessage(minimum, maximum));
}

} // namespace

void DDX_Text(CDataExchange& dx, int id, std::int32_t& value) {
    if (dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate) {
        dx.m_pDlg->SetDlgItemText(id, std::to_string(value));
        return;
    }
    if (ReadWholeNumber(dx, id))
        StoreIfFits(dx, value);
}

void DDX_Text(CDataExchange& dx, int id, std::uint8_t& value) {
    if (dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate) {
        dx.m_pDlg->SetDlgItemText(id, std::to_string(static_cast<unsigned>(value)));
        return;
    }
    if (ReadWholeNumber(dx, id))
        StoreIfFits(dx, value);
}

void DDV_MinMaxInt(CDataExchange& dx, std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
    (void)value; // the wide value read is checked, so a number too big for the field names the range too
    CheckRange(dx, minimum, maximum);
}

void DDV_MinMaxByte(CDataExchange& dx, std::uint8_t value, std::uint8_t minimum, std::uint8_t maximum) {
    (void)value;
    CheckRange(dx, minimum, maximum);
}

void DDX_Slider(CDataExchange& dx, int id, int& value) {
    if (dx.Failed() || !dx.m_pDlg->GetHost())
        return;
    if (dx.m_bSaveAndValidate)
        value = dx.m_pDlg->GetHost()->GetSliderPos(id);
    else
        dx.m_pDlg->GetHost()->SetSliderPos(id, value);
}

} // namespace polyvane
