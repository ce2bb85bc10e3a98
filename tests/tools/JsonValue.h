#pragma once
// A small JSON reader for checking the tools' --json output: the whole grammar (objects,
// arrays, strings with escapes, numbers, true, false, null), nothing beyond it.
#include <map>
#include <memory>
#include <string>
#include <vector>

class JsonValue {
 public:
  enum class Kind { Null, Boolean, Number, String, Array, Object };

  // Throws std::runtime_error with the offset for text that is not exactly one JSON value.
  static JsonValue parse(const std::string& text);

  Kind kind() const { return kind_; }
  bool isObject() const { return kind_ == Kind::Object; }
  double number() const { return number_; }
  bool boolean() const { return boolean_; }
  const std::string& string() const { return string_; }
  const std::vector<JsonValue>& array() const { return array_; }
  const std::map<std::string, JsonValue>& object() const { return object_; }
  bool has(const std::string& key) const { return object_.count(key) != 0; }
  // The member; throws std::out_of_range when there is none.
  const JsonValue& operator[](const std::string& key) const { return object_.at(key); }
  const JsonValue& operator[](std::size_t index) const { return array_.at(index); }

 private:
  class Reader;
  Kind kind_ = Kind::Null;
  bool boolean_ = false;
  double number_ = 0;
  std::string string_;
  std::vector<JsonValue> array_;
  std::map<std::string, JsonValue> object_;
};
