#pragma once
// An ordered list of byte-string lines kept in one contiguous buffer.
//
// A catalog holds up to millions of lines; one buffer with an offset table
// loads and scans them without a heap block per line. The lines of a list
// built by Append are each followed by one LF in the buffer, and lines read
// from a file keep their original line ends there, so Bytes() can be scanned
// as a whole (a line end never occurs inside a line).

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

class TLineList {
 public:
  TLineList() = default;
  TLineList(std::initializer_list<std::string_view> lines);

  // Splits text at CR LF, a lone CR and a lone LF and stops at the first NUL.
  // A last line without a line end still counts; an empty line between two
  // line ends is an entry of its own.
  static TLineList FromText(std::string text);

  size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](size_t i) const { return {bytes_.data() + spans_[i].offset, spans_[i].length}; }
  std::string_view at(size_t i) const;

  void Append(std::string_view line);
  // Appends a line that write(bytes) appends straight to the end of the
  // buffer, without a temporary string per line; the LF after it is added
  // here. The written bytes must not hold a CR or an LF.
  template <class Write>
  void AppendInPlace(Write&& write) {
    const size_t start = bytes_.size();
    write(bytes_);
    spans_.push_back({start, bytes_.size() - start});
    bytes_ += '\n';
  }
  void Reserve(size_t lines, size_t bytes);
  void Clear();

  // The buffer all lines live in, and where line i starts in it.
  std::string_view Bytes() const { return bytes_; }
  size_t Offset(size_t i) const { return spans_[i].offset; }
  // The line that holds the byte at this buffer offset, or size() when the
  // offset lies in no line (a line end, or past the last line).
  size_t LineAtOffset(size_t offset) const;

  // Each line followed by CR LF: the text of a catalog file.
  std::string ToText() const;
  std::vector<std::string> ToVector() const;

  class const_iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    const_iterator(const TLineList* list, size_t i) : list_(list), i_(i) {}
    std::string_view operator*() const { return (*list_)[i_]; }
    const_iterator& operator++() { ++i_; return *this; }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }
    bool operator!=(const const_iterator& o) const { return i_ != o.i_; }
   private:
    const TLineList* list_;
    size_t i_;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  friend bool operator==(const TLineList& a, const TLineList& b);

 private:
  struct Span {
    size_t offset;
    size_t length;
  };
  std::string bytes_;
  std::vector<Span> spans_;
};

}  // namespace kt
