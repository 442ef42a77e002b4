#include "base/TextFormat.h"

namespace KIV {

std::string IntToPaddedText(int32_t value, uint8_t width)
{
    // Unsigned magnitude, so even the most negative value has one.
    uint32_t mag = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + mag % 10));
        mag /= 10;
    } while (mag != 0);
    while (digits.size() < width) digits.insert(digits.begin(), '0');
    if (value < 0) digits.insert(digits.begin(), '-');
    return digits;
}

std::string IntToText(int32_t value) { return IntToPaddedText(value, 0); }

std::string BoolToYesNoText(bool flag) { return flag ? "Yes" : "No"; }

std::string FloatToText(uint8_t decimals, float value, bool keepZeroFraction)
{
    int32_t whole = static_cast<int32_t>(value);
    if (decimals == 0) return IntToText(whole);
    float fraction = value - static_cast<float>(whole);
    if (fraction < 0.0f) fraction = -fraction;
    float scale = 1.0f;
    for (int i = 0; i < decimals; ++i) scale *= 10.0f;
    int32_t digits = static_cast<int32_t>(scale * fraction);
    if (digits == 0 && !keepZeroFraction) return IntToText(whole);
    std::string text = IntToPaddedText(whole < 0 ? -whole : whole, 0) + "." + IntToPaddedText(digits, decimals);
    // The sign comes from the value, so -0.5 keeps it although its whole part is 0.
    if (value < 0.0f) text.insert(text.begin(), '-');
    return text;
}

std::string PercentEncodeText(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::string DecodePercentEscapes(const std::string& text)
{
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            out.push_back(text[i++]);
            continue;
        }
        if (text.size() - i < 3) return {}; // fewer than two bytes follow the "%"
        int hi = digit(text[i + 1]), lo = digit(text[i + 2]);
        if (hi < 0 || lo < 0) return {};
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
    }
    return out;
}

void AppendJsArrayItem(std::string& arrayText, const std::string& item)
{
    if (arrayText != "[") arrayText += ",";
    arrayText += "'" + PercentEncodeText(item) + "'";
}

void CloseJsArrayText(std::string& arrayText) { arrayText += "]"; }

} // namespace KIV
