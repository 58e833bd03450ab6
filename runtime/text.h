// Text values: UTF-16 code units with value semantics. Lengths and positions count code units.
// A missing text is the empty text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace runtime {

using Text = std::u16string;
using TextView = std::u16string_view;

int64_t TextLength(TextView t);

// The last n code units, n clamped to 0 .. TextLength(t).
Text TextRight(TextView t, int64_t n);

// A copy with every character lower-cased by the simple Unicode mapping; same length.
Text TextLower(TextView t);

// Decimal digits, "-" for negatives; the most negative value comes out right. No locale.
Text TextFromInteger(int64_t v);

// 1 when equal unit for unit, else 0.
int TextEquals(TextView a, TextView b);

Text TextConcat(std::initializer_list<TextView> pieces);

// A text from units up to (not including) the first 0 unit, which ends a text.
Text TextFromUnits(const char16_t* units);

// Conversions at the edges of the system: UTF-8 with byte escapes for invalid bytes.
Text TextFromUtf8(std::string_view bytes);
std::string TextToUtf8(TextView t);

}  // namespace runtime
