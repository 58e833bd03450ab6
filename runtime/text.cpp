#include "runtime/text.h"

#include "platform/unicode.h"

namespace runtime {

int64_t TextLength(TextView t) { return static_cast<int64_t>(t.size()); }

Text TextRight(TextView t, int64_t n) {
  const int64_t length = TextLength(t);
  const int64_t k = n < 0 ? 0 : (n > length ? length : n);
  return Text(t.substr(static_cast<size_t>(length - k)));
}

Text TextLower(TextView t) {
  Text copy(t);
  platform::CharLowerW(copy.data(), copy.size());
  return copy;
}

Text TextFromInteger(int64_t v) {
  // The magnitude as unsigned, so that -2^63 needs no special case.
  uint64_t magnitude = v < 0 ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  char16_t digits[21];
  size_t at = sizeof digits / sizeof digits[0];
  do {
    digits[--at] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (v < 0) digits[--at] = u'-';
  return Text(digits + at, sizeof digits / sizeof digits[0] - at);
}

int TextEquals(TextView a, TextView b) { return a == b ? 1 : 0; }

Text TextConcat(std::initializer_list<TextView> pieces) {
  size_t total = 0;
  for (TextView piece : pieces) total += piece.size();
  Text out;
  out.reserve(total);
  for (TextView piece : pieces) out.append(piece);
  return out;
}

Text TextFromUnits(const char16_t* units) { return units ? Text(units) : Text(); }

Text TextFromUtf8(std::string_view bytes) {
  Text t = platform::Utf8ToUtf16(bytes);
  if (const size_t end = t.find(u'\0'); end != Text::npos) t.resize(end);
  return t;
}

std::string TextToUtf8(TextView t) { return platform::Utf16ToUtf8(t); }

}  // namespace runtime
