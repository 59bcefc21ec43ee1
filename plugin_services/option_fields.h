#ifndef ZAR_PLUGIN_SERVICES_OPTION_FIELDS_H_
#define ZAR_PLUGIN_SERVICES_OPTION_FIELDS_H_

// An option record's remembered fields bound to the rows that describe them
// (plugin_description/option_rows.h): the record is given its built-in values, loaded and saved
// by the rows, so that a value's name, type and default are written down once. A record lists
// its fields in the rows' order and checks when compiled that they agree:
//   constexpr std::array<OptionField<Record>, 2> kFields{&Record::Apply, &Record::Size};
//   static_assert(FieldsMatchRows(description::kSomeOptions, kFields));

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "plugin_description/option_rows.h"
#include "plugin_services/option_store.h"

namespace zar {

// One remembered field; the alternatives follow description::OptionType.
template <class Record>
using OptionField = std::variant<bool Record::*, std::int32_t Record::*, float Record::*,
                                 double Record::*, std::string Record::*>;

template <class Record, std::size_t N>
constexpr bool FieldsMatchRows(const description::OptionClass& options,
                               const std::array<OptionField<Record>, N>& fields) {
  if (options.rows.size() != N) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (fields[i].index() != static_cast<std::size_t>(options.rows[i].type)) return false;
  }
  return true;
}

namespace option_fields {

inline void Initial(const description::OptionRow& row, bool& value) { value = row.initial != 0; }
inline void Initial(const description::OptionRow& row, std::int32_t& value) {
  value = static_cast<std::int32_t>(row.initial);
}
inline void Initial(const description::OptionRow& row, float& value) {
  value = static_cast<float>(row.initial);
}
inline void Initial(const description::OptionRow& row, double& value) { value = row.initial; }
inline void Initial(const description::OptionRow& row, std::string& value) {
  value = row.initialText;
}

inline void Load(const OptionStore& store, const char* name, bool& value) {
  store.GetBool(name, value);
}
inline void Load(const OptionStore& store, const char* name, std::int32_t& value) {
  store.GetInt(name, value);
}
inline void Load(const OptionStore& store, const char* name, float& value) {
  store.GetFloat(name, value);
}
inline void Load(const OptionStore& store, const char* name, double& value) {
  store.GetDouble(name, value);
}
inline void Load(const OptionStore& store, const char* name, std::string& value) {
  store.GetString(name, value);
}

inline void Save(OptionStore& store, const char* name, bool value) { store.SetBool(name, value); }
inline void Save(OptionStore& store, const char* name, std::int32_t value) {
  store.SetInt(name, value);
}
inline void Save(OptionStore& store, const char* name, float value) { store.SetFloat(name, value); }
inline void Save(OptionStore& store, const char* name, double value) {
  store.SetDouble(name, value);
}
inline void Save(OptionStore& store, const char* name, const std::string& value) {
  store.SetString(name, value.c_str());
}

}  // namespace option_fields

// Gives every field its row's built-in value.
template <class Record, std::size_t N>
void SetInitialValues(const description::OptionClass& options,
                      const std::array<OptionField<Record>, N>& fields, Record& record) {
  for (std::size_t i = 0; i < N; ++i) {
    std::visit([&](auto member) { option_fields::Initial(options.rows[i], record.*member); },
               fields[i]);
  }
}

// Reads every field in the rows' order; a value that cannot be read leaves its field as it was.
template <class Record, std::size_t N>
void LoadFields(const OptionStore& store, const description::OptionClass& options,
                const std::array<OptionField<Record>, N>& fields, Record& record) {
  for (std::size_t i = 0; i < N; ++i) {
    std::visit(
        [&](auto member) { option_fields::Load(store, options.rows[i].name, record.*member); },
        fields[i]);
  }
}

// Writes every field in the rows' order; a failed write does not stop the others.
template <class Record, std::size_t N>
void SaveFields(OptionStore& store, const description::OptionClass& options,
                const std::array<OptionField<Record>, N>& fields, const Record& record) {
  for (std::size_t i = 0; i < N; ++i) {
    std::visit(
        [&](auto member) { option_fields::Save(store, options.rows[i].name, record.*member); },
        fields[i]);
  }
}

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_OPTION_FIELDS_H_
