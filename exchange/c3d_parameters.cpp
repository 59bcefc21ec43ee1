#include "exchange/c3d_parameters.h"

#include <algorithm>
#include <cmath>

#include "text/ascii_case.h"

namespace zar::exchange {

bool SameC3DName(std::string_view a, std::string_view b) { return text::SameIgnoringCase(a, b); }

std::vector<std::string> C3DParameter::Strings() const {
  std::vector<std::string> strings;
  std::size_t length = text.size();
  if (dimensions.size() >= 2 && dimensions[0] > 0) length = static_cast<std::size_t>(dimensions[0]);
  if (dimensions.size() >= 2 && dimensions[0] == 0) return strings;
  for (std::size_t at = 0; at < text.size(); at += length) {
    std::string one = text.substr(at, length);
    while (!one.empty() && (one.back() == ' ' || one.back() == '\0')) one.pop_back();
    strings.push_back(std::move(one));
  }
  return strings;
}

std::optional<double> C3DParameter::Number(std::size_t i) const {
  if (i >= numbers.size()) return std::nullopt;
  return numbers[i];
}

std::optional<std::uint32_t> C3DParameter::Word(std::size_t i) const {
  if (i >= numbers.size() || !std::isfinite(numbers[i])) return std::nullopt;
  const double value = numbers[i];
  if (type == C3DType::kInteger && value < 0) return static_cast<std::uint32_t>(value + 65536);
  if (value < 0 || value > 4294967295.0) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

const C3DParameter* C3DGroup::Find(std::string_view parameter) const {
  for (const C3DParameter& p : parameters) {
    if (SameC3DName(p.name, parameter)) return &p;
  }
  return nullptr;
}

const C3DGroup* C3DParameters::FindGroup(std::string_view group) const {
  for (const C3DGroup& g : groups) {
    if (SameC3DName(g.name, group)) return &g;
  }
  return nullptr;
}

const C3DParameter* C3DParameters::Find(std::string_view group, std::string_view parameter) const {
  const C3DGroup* g = FindGroup(group);
  return g != nullptr ? g->Find(parameter) : nullptr;
}

std::vector<std::string> C3DParameters::ContinuedStrings(std::string_view group,
                                                         std::string_view parameter) const {
  std::vector<std::string> strings;
  const C3DParameter* p = Find(group, parameter);
  for (int part = 2; p != nullptr; ++part) {
    std::vector<std::string> more = p->Strings();
    strings.insert(strings.end(), std::make_move_iterator(more.begin()),
                   std::make_move_iterator(more.end()));
    p = Find(group, std::string(parameter) + std::to_string(part));
  }
  return strings;
}

}  // namespace zar::exchange
