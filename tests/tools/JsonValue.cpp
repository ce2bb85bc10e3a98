#include "tools/JsonValue.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

class JsonValue::Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  JsonValue document() {
    JsonValue value = read(0);
    skipSpace();
    if (at_ != text_.size()) fail("text after the value");
    return value;
  }

 private:
  static constexpr int MaxDepth = 200;

  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(at_));
  }
  void skipSpace() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' ||
                                  text_[at_] == '\t'))
      ++at_;
  }
  bool take(char c) {
    skipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void expect(char c) {
    if (!take(c)) fail(std::string("expected '") + c + "'");
  }
  bool word(const char* w) {
    const std::string expected(w);
    if (text_.compare(at_, expected.size(), expected) != 0) return false;
    at_ += expected.size();
    return true;
  }

  JsonValue read(int depth) {
    if (depth > MaxDepth) fail("too deep");
    skipSpace();
    if (at_ >= text_.size()) fail("unexpected end");
    JsonValue value;
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      value.kind_ = Kind::Object;
      if (take('}')) return value;
      do {
        skipSpace();
        const std::string key = readString();
        expect(':');
        value.object_[key] = read(depth + 1);
      } while (take(','));
      expect('}');
    } else if (c == '[') {
      ++at_;
      value.kind_ = Kind::Array;
      if (take(']')) return value;
      do value.array_.push_back(read(depth + 1));
      while (take(','));
      expect(']');
    } else if (c == '"') {
      value.kind_ = Kind::String;
      value.string_ = readString();
    } else if (word("true") || word("false")) {
      value.kind_ = Kind::Boolean;
      value.boolean_ = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
    } else if (word("null")) {
      value.kind_ = Kind::Null;
    } else {
      value.kind_ = Kind::Number;
      value.number_ = readNumber();
    }
    return value;
  }

  double readNumber() {
    const std::size_t begin = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    const std::size_t digits = at_;
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    if (at_ == digits) fail("bad number");
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    return std::strtod(text_.substr(begin, at_ - begin).c_str(), nullptr);
  }

  void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string readString() {
    if (at_ >= text_.size() || text_[at_] != '"') fail("expected a string");
    ++at_;
    std::string out;
    for (;;) {
      if (at_ >= text_.size()) fail("unterminated string");
      const char c = text_[at_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) fail("control byte in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) fail("unterminated escape");
      const char e = text_[at_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          if (at_ + 4 > text_.size()) fail("short \\u escape");
          const std::string hex = text_.substr(at_, 4);
          if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) fail("bad \\u escape");
          appendUtf8(out, static_cast<unsigned>(std::strtoul(hex.c_str(), nullptr, 16)));
          at_ += 4;
          break;
        }
        default: fail("bad escape");
      }
    }
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

JsonValue JsonValue::parse(const std::string& text) { return Reader(text).document(); }
