#ifndef ZAR_MODRA_JSON_VALUE_H_
#define ZAR_MODRA_JSON_VALUE_H_

// A JSON value of a document being read, as the parser left it: a view of its parsed tree with
// the questions the reading code asks (its type, a member, an item, a number, a text). Valid
// until its parser parses again. Arrays are walked in order with a range-for; an item by index
// walks to it, so index only short arrays.

#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace modra::host {

class JsonValue {
 public:
  using Type = simdjson::dom::element_type;

  JsonValue() = default;
  explicit JsonValue(simdjson::dom::element element) : element_(element), set_(true) {}

  // Whether there is a value (a member asked for may be missing).
  bool present() const { return set_; }
  bool is_null() const { return !set_ || element_.type() == Type::NULL_VALUE; }
  bool is_object() const { return set_ && element_.type() == Type::OBJECT; }
  bool is_array() const { return set_ && element_.type() == Type::ARRAY; }
  bool is_string() const { return set_ && element_.type() == Type::STRING; }
  bool is_boolean() const { return set_ && element_.type() == Type::BOOL; }
  bool is_number() const {
    return is_number_integer() || (set_ && element_.type() == Type::DOUBLE);
  }
  // Integers (signed or past the signed range); of those, the ones past the signed range.
  bool is_number_integer() const {
    return set_ && (element_.type() == Type::INT64 || element_.type() == Type::UINT64);
  }
  bool is_number_unsigned() const { return set_ && element_.type() == Type::UINT64; }

  // The value, for a value of that type (asked after the type).
  double Double() const {
    switch (element_.type()) {
      case Type::INT64:
        return static_cast<double>(element_.get_int64().value_unsafe());
      case Type::UINT64:
        return static_cast<double>(element_.get_uint64().value_unsafe());
      default:
        return element_.get_double().value_unsafe();
    }
  }
  std::int64_t Int64() const { return element_.get_int64().value_unsafe(); }
  std::uint64_t Uint64() const { return element_.get_uint64().value_unsafe(); }
  bool Bool() const { return element_.get_bool().value_unsafe(); }
  std::string_view String() const { return element_.get_string().value_unsafe(); }

  // Whether this is the text `text`.
  bool Is(std::string_view text) const { return is_string() && String() == text; }

  // Members of an object, items of an array: the count, a member by name (null when there is
  // none), an item by index (null past the end).
  std::size_t size() const {
    if (is_array()) {
      const simdjson::dom::array items = element_.get_array().value_unsafe();
      return items.size();
    }
    if (is_object()) {
      const simdjson::dom::object members = element_.get_object().value_unsafe();
      return members.size();
    }
    return 0;
  }
  bool contains(std::string_view name) const { return Member(name).set_; }
  JsonValue Member(std::string_view name) const {
    if (!is_object()) return JsonValue();
    const simdjson::dom::object members = element_.get_object().value_unsafe();
    simdjson::dom::element found;
    if (members.at_key(name).get(found)) return JsonValue();
    return JsonValue(found);
  }
  JsonValue operator[](std::size_t index) const {
    if (!is_array()) return JsonValue();
    std::size_t i = 0;
    const simdjson::dom::array items = element_.get_array().value_unsafe();
    for (const simdjson::dom::element item : items) {
      if (i++ == index) return JsonValue(item);
    }
    return JsonValue();
  }

  // The items of an array (none for another value), in order.
  class Iterator {
   public:
    explicit Iterator(simdjson::dom::array::iterator at) : at_(at) {}
    JsonValue operator*() const { return JsonValue(*at_); }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    simdjson::dom::array::iterator at_;
  };
  Iterator begin() const { return Iterator(Items().begin()); }
  Iterator end() const { return Iterator(Items().end()); }

 private:
  simdjson::dom::array Items() const {
    const simdjson::dom::element from = is_array() ? element_ : kNoItems;
    simdjson::dom::array items = from.get_array().value_unsafe();
    return items;
  }

  static inline const simdjson::dom::element kNoItems = [] {
    static simdjson::dom::parser parser;
    return parser.parse("[]", 2).value_unsafe();
  }();

  simdjson::dom::element element_;
  bool set_ = false;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_JSON_VALUE_H_
