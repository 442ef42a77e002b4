#pragma once
#include <cstdint>
#include <string>

namespace KIV {

// Locale-independent number text: ASCII digits, "." as decimal mark, no grouping.
std::string IntToPaddedText(int32_t value, uint8_t width);
std::string IntToText(int32_t value);
std::string BoolToYesNoText(bool flag);
// The fraction is truncated, never rounded: 3.05f prints as 3.04 with 2 decimals.
std::string FloatToText(uint8_t decimals, float value, bool keepZeroFraction);
std::string PercentEncodeText(const std::string& text);

// Undoes PercentEncodeText. Only upper-case hex digits are accepted; any
// malformed escape makes the whole result empty.
std::string DecodePercentEscapes(const std::string& text);

// Page-script array literals: start with "[", append items, close once.
void AppendJsArrayItem(std::string& arrayText, const std::string& item);
void CloseJsArrayText(std::string& arrayText);

} // namespace KIV
