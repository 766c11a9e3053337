#include "catalog/Collation.h"

#include "platform/Cp1252.h"

#include <unicode/ucol.h>

#include <array>
#include <stdexcept>
#include <string>

namespace kt {
namespace {

// Every Windows-1252 byte is one UTF-16 unit (the code page lies in the BMP).
const std::array<char16_t, 256>& Utf16Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) t[b] = char16_t(Cp1252ToCodePoint((unsigned char)b));
    return t;
  }();
  return table;
}

// The UTF-16 form of a text, in a buffer that lives on the stack for the
// short texts a catalog is made of.
class TUtf16 {
 public:
  explicit TUtf16(std::string_view cp1252) {
    if (cp1252.size() > kInline) heap_.resize(cp1252.size());
    data_ = cp1252.size() > kInline ? reinterpret_cast<UChar*>(heap_.data()) : inline_;
    const auto& table = Utf16Table();
    for (size_t i = 0; i < cp1252.size(); ++i) data_[i] = UChar(table[(unsigned char)cp1252[i]]);
    length_ = int32_t(cp1252.size());
  }
  const UChar* data() const { return data_; }
  int32_t length() const { return length_; }

 private:
  static constexpr size_t kInline = 256;
  UChar inline_[kInline];
  std::u16string heap_;
  UChar* data_;
  int32_t length_;
};

UCollator* OpenGerman(UCollationStrength strength) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* c = ucol_open("de_DE", &status);
  if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU collator de_DE: ") + u_errorName(status));
  ucol_setAttribute(c, UCOL_STRENGTH, strength, &status);
  ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
  if (strength >= UCOL_TERTIARY) ucol_setAttribute(c, UCOL_CASE_FIRST, UCOL_LOWER_FIRST, &status);
  if (U_FAILURE(status)) {
    ucol_close(c);
    throw std::runtime_error(std::string("ICU collator attributes: ") + u_errorName(status));
  }
  return c;
}

}  // namespace

void TCollator::Closer::operator()(UCollator* c) const { ucol_close(c); }

TCollator::TCollator(std::unique_ptr<UCollator, Closer> collator) : collator_(std::move(collator)) {}
TCollator::TCollator(TCollator&&) noexcept = default;
TCollator& TCollator::operator=(TCollator&&) noexcept = default;
TCollator::~TCollator() = default;

TCollator TCollator::FolderTree() {
  return TCollator(std::unique_ptr<UCollator, Closer>(OpenGerman(UCOL_TERTIARY)));
}

TCollator TCollator::CaseBlind() {
  return TCollator(std::unique_ptr<UCollator, Closer>(OpenGerman(UCOL_SECONDARY)));
}

void TCollator::AppendSortKey(std::string_view cp1252, std::string& out) const {
  const TUtf16 text(cp1252);
  const size_t start = out.size();
  // A key takes a few bytes per character; ICU says how much it needs when
  // the first guess is short, and the second call then fits.
  int32_t capacity = int32_t(4 * cp1252.size() + 16);
  for (;;) {
    out.resize(start + size_t(capacity));
    const int32_t need = ucol_getSortKey(collator_.get(), text.data(), text.length(),
                                         reinterpret_cast<uint8_t*>(out.data() + start), capacity);
    if (need <= 0) {  // ICU failed internally: an empty key, which sorts first
      out.resize(start);
      return;
    }
    if (need <= capacity) {
      out.resize(start + size_t(need) - 1);  // without the terminating zero
      return;
    }
    capacity = need;
  }
}

std::string TCollator::SortKey(std::string_view cp1252) const {
  std::string key;
  AppendSortKey(cp1252, key);
  return key;
}

int TCollator::Compare(std::string_view a, std::string_view b) const {
  const TUtf16 ua(a), ub(b);
  return int(ucol_strcoll(collator_.get(), ua.data(), ua.length(), ub.data(), ub.length()));
}

}  // namespace kt
