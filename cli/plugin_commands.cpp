// zarfileio plugin info | options show | options reset

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/input_file.h"
#include "cli/plugin_loader.h"
#include "modra/registry.h"
#include "plugin_description/option_rows.h"
#include "sdk/modra_sdk.h"
#include "text/ascii_case.h"

namespace zar::cli {
namespace {

// ---------------------------------------------------------------------------------------------
// plugin info

std::string Hex(std::uint32_t value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

void PrintTranslator(const std::string& extension, const char* long_description,
                     const char* short_description, unsigned version, const char* author) {
  std::cout << "     files *." << extension << ": " << (long_description ? long_description : "")
            << " (" << (short_description ? short_description : "") << "), version " << version
            << ", by " << (author ? author : "") << "\n";
}

int Info(const std::string& plugin_option) {
  const std::string path = PluginPath(plugin_option);
  struct stat status {};
  // A missing library is the loader's to report; anything else but a regular file is refused
  // before the loader opens it (a FIFO would block it).
  if (const std::string refused = CheckInputFile(path);
      ::stat(path.c_str(), &status) == 0 && !refused.empty()) {
    std::cerr << "zarfileio: plug-in " << path << ": " << refused << "\n";
    return kExitFileProblem;
  }
  std::string error;
  const std::unique_ptr<LoadedPlugin> plugin = LoadedPlugin::Load(path, error);
  if (plugin == nullptr) {
    std::cerr << "zarfileio: " << error << "\n";
    return kExitFileProblem;
  }
  const std::uint32_t version = plugin->Version();
  std::cout << "Plug-in      " << plugin->path() << "\n";
  std::cout << "Version      " << Hex(version, 8) << " (plug-in interface " << (version >> 16)
            << "." << ((version >> 8) & 0xFF) << "." << (version & 0xFF) << ")\n";
  std::cout << "Description  " << plugin->Description() << "\n";
  std::cout << "Classes      " << plugin->ClassCount() << "\n";
  for (const ClassInfo& info : plugin->Classes()) {
    std::cout << "  " << info.index << "  " << info.name << "  " << SuperClassName(info.super_class)
              << " (" << Hex(info.super_class, 4) << ")  class id (" << Hex(info.class_id.a, 8)
              << ", " << Hex(info.class_id.b, 8) << ")  category \"" << info.category << "\"\n";
    // Each object is made through its descriptor, as the host makes it, and asked who it is.
    if (info.super_class == modra::kSceneImportClass) {
      if (ImporterPtr importer = plugin->CreateImporter(info.name)) {
        PrintTranslator(importer->Extension(0), importer->LongDescription(),
                        importer->ShortDescription(), importer->Version(), importer->AuthorName());
      }
    } else if (info.super_class == modra::kSceneExportClass) {
      if (ExporterPtr exporter = plugin->CreateExporter(info.name)) {
        PrintTranslator(exporter->Extension(0), exporter->LongDescription(),
                        exporter->ShortDescription(), exporter->Version(), exporter->AuthorName());
      }
    }
  }
  return kExitOk;
}

// ---------------------------------------------------------------------------------------------
// options show | reset

using description::kOptionsPath;
using description::OptionClass;
using description::OptionRow;
using Kind = description::OptionType;

std::vector<std::string> OptionClassNames() {
  std::vector<std::string> names;
  for (const OptionClass& c : description::kOptionClasses) names.emplace_back(c.key);
  return names;
}

const OptionRow* FindKnown(const OptionClass& option_class, const std::string& name) {
  for (const OptionRow& known : option_class.rows)
    if (text::SameIgnoringCase(name, known.name)) return &known;
  return nullptr;
}

std::string TypeName(std::uint32_t type) {
  switch (type) {
    case modra::kRegistryString:
      return "REG_SZ";
    case modra::kRegistryBinary:
      return "REG_BINARY";
    case modra::kRegistryDword:
      return "REG_DWORD";
    case modra::kRegistryQword:
      return "REG_QWORD";
    default:
      return "type " + std::to_string(type);
  }
}

std::uint64_t LittleEndian(const std::vector<std::uint8_t>& data, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size && i < data.size(); ++i)
    value |= static_cast<std::uint64_t>(data[i]) << (8 * i);
  return value;
}

// The data as stored: a DWORD or QWORD as its number in hexadecimal, a text in quotes, anything
// else as its bytes.
std::string RawText(const modra::RegistryValue& value) {
  char text[32];
  if (value.type == modra::kRegistryDword && value.data.size() == 4) {
    std::snprintf(text, sizeof text, "0x%08llX",
                  static_cast<unsigned long long>(LittleEndian(value.data, 4)));
    return text;
  }
  if (value.type == modra::kRegistryQword && value.data.size() == 8) {
    std::snprintf(text, sizeof text, "0x%016llX",
                  static_cast<unsigned long long>(LittleEndian(value.data, 8)));
    return text;
  }
  if (value.type == modra::kRegistryString) {
    const auto* begin = reinterpret_cast<const char*>(value.data.data());
    return "\"" + std::string(begin, strnlen(begin, value.data.size())) + "\"";
  }
  std::string bytes;
  for (std::uint8_t byte : value.data) {
    std::snprintf(text, sizeof text, "%02X", byte);
    bytes += bytes.empty() ? "" : " ";
    bytes += text;
  }
  return bytes.empty() ? "(empty)" : bytes;
}

template <typename Number>
std::string Shortest(Number value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// What the owning class reads from the data (the bytes as its getter takes them), or why it
// cannot read it and keeps its own value.
std::string ReadAs(Kind kind, const std::vector<std::uint8_t>& data) {
  const std::size_t limit = kind == Kind::kDouble ? 8 : (kind == Kind::kText ? 1024 : 4);
  if (data.size() > limit) return "unreadable (" + std::to_string(data.size()) + " bytes)";
  switch (kind) {
    case Kind::kBool:
      if (data.empty()) return "unreadable (empty)";
      return data[0] != 0 ? "true" : "false";
    case Kind::kInt:
      return std::to_string(static_cast<std::int32_t>(LittleEndian(data, 4)));
    case Kind::kFloat:
      return Shortest(std::bit_cast<float>(static_cast<std::uint32_t>(LittleEndian(data, 4))));
    case Kind::kDouble:
      return Shortest(std::bit_cast<double>(LittleEndian(data, 8)));
    case Kind::kText: {
      const auto* begin = reinterpret_cast<const char*>(data.data());
      return "\"" + std::string(begin, strnlen(begin, data.size())) + "\"";
    }
  }
  return "";
}

std::string RegistryProblem(std::int32_t status) {
  std::string problem = modra::host::RegistryStore::Instance().lastProblem();
  if (problem.empty()) problem = "registry error " + std::to_string(status);
  return "the registry " + modra::host::RegistryStore::Instance().Path() +
         " cannot be used: " + problem;
}

// Opens the class key for reading: kRegistryOk, kRegistryNotFound, or another failure.
std::int32_t OpenClassKey(const OptionClass& option_class, modra::RegistryKey& key) {
  const std::string path = std::string(kOptionsPath) + "\\" + option_class.key;
  return modra::RegistryOpenKey(modra::kCurrentUserKey, path.c_str(), modra::kRegistryRead, &key);
}

// The stored values of one class; false after printing the problem when the registry fails.
bool ListClassValues(const OptionClass& option_class, std::vector<modra::RegistryValue>& values,
                     bool& stored) {
  values.clear();
  modra::RegistryKey key = 0;
  const std::int32_t opened = OpenClassKey(option_class, key);
  stored = opened == modra::kRegistryOk;
  if (opened == modra::kRegistryNotFound) return true;
  if (opened != modra::kRegistryOk) {
    std::cerr << "zarfileio: " << RegistryProblem(opened) << "\n";
    return false;
  }
  const std::int32_t listed = modra::RegistryListValues(key, values);
  modra::RegistryCloseKey(key);
  if (listed != modra::kRegistryOk) {
    std::cerr << "zarfileio: " << RegistryProblem(listed) << "\n";
    return false;
  }
  return true;
}

// False, after saying why, when the registry file is there but is no regular file of a sane
// size (a device or a FIFO would never end being read).
bool RegistryReadable() {
  const std::string path = modra::host::RegistryStore::Instance().Path();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return true;  // none yet: nothing stored
  const std::string refused = CheckInputFile(path, DocumentSizeBound());
  if (refused.empty()) return true;
  std::cerr << "zarfileio: the registry " << path << " cannot be used: " << refused << "\n";
  return false;
}

bool Selected(const std::vector<std::string>& chosen, const OptionClass& option_class) {
  if (chosen.empty()) return true;
  for (const std::string& name : chosen)
    if (text::SameIgnoringCase(name, option_class.key)) return true;
  return false;
}

int Show(const std::vector<std::string>& chosen) {
  if (!RegistryReadable()) return kExitFileProblem;
  std::cout << "Registry " << modra::host::RegistryStore::Instance().Path() << "\n";
  for (const OptionClass& option_class : description::kOptionClasses) {
    if (!Selected(chosen, option_class)) continue;
    std::vector<modra::RegistryValue> values;
    bool stored = false;
    if (!ListClassValues(option_class, values, stored)) return kExitFileProblem;
    std::cout << option_class.key << "  (HKEY_CURRENT_USER\\" << kOptionsPath << "\\"
              << option_class.key << ")\n";
    if (values.empty()) {
      std::cout << (stored ? "  no values stored\n" : "  no key\n");
      continue;
    }
    std::size_t width = 0;
    for (const modra::RegistryValue& value : values) width = std::max(width, value.name.size());
    for (const modra::RegistryValue& value : values) {
      std::string line = "  " + value.name + std::string(width - value.name.size() + 2, ' ');
      std::string type = TypeName(value.type);
      line += type + std::string(type.size() < 12 ? 12 - type.size() : 1, ' ');
      std::string raw = RawText(value);
      line += raw;
      if (const OptionRow* known = FindKnown(option_class, value.name)) {
        line += std::string(raw.size() < 20 ? 20 - raw.size() : 1, ' ');
        line += "= " + ReadAs(known->type, value.data);
      }
      std::cout << line << "\n";
    }
  }
  return kExitOk;
}

int Reset(const std::vector<std::string>& chosen) {
  if (!RegistryReadable()) return kExitFileProblem;
  for (const OptionClass& option_class : description::kOptionClasses) {
    if (!Selected(chosen, option_class)) continue;
    std::vector<modra::RegistryValue> values;
    bool stored = false;
    if (!ListClassValues(option_class, values, stored)) return kExitFileProblem;
    if (!stored) {
      std::cout << option_class.key << ": nothing stored\n";
      continue;
    }
    const std::string path = std::string(kOptionsPath) + "\\" + option_class.key;
    const std::int32_t deleted = modra::RegistryDeleteKey(modra::kCurrentUserKey, path.c_str());
    if (deleted != modra::kRegistryOk) {
      std::cerr << "zarfileio: " << RegistryProblem(deleted) << "\n";
      return kExitFileProblem;
    }
    std::cout << option_class.key << ": " << values.size()
              << (values.size() == 1 ? " value" : " values") << " removed\n";
  }
  return kExitOk;
}

}  // namespace

void AddPluginCommands(CLI::App& app) {
  CLI::App* plugin = app.add_subcommand("plugin", "The plug-in library as the host sees it");
  plugin->require_subcommand(1);
  auto plugin_path = std::make_shared<std::string>();
  CLI::App* info = plugin->add_subcommand(
      "info",
      "Load the plug-in as the host does and print its version, description and classes (index, "
      "name, kind, class id, category), making each translator through its descriptor.");
  SetExamples(*info,
              {"zarfileio plugin info", "zarfileio plugin info --plugin other/ZARFileIO.so"});
  AddPluginOption(*info, *plugin_path);
  info->callback([plugin_path] { FinishCommand(Info(*plugin_path)); });

  CLI::App* options = app.add_subcommand(
      "options", "The options each class keeps in the registry (file: $ZARFILEIO_REGISTRY)");
  options->require_subcommand(1);
  auto classes = std::make_shared<std::vector<std::string>>();
  const std::vector<std::string> names = OptionClassNames();
  CLI::App* show = options->add_subcommand(
      "show",
      "Print the stored values of every class (or of the classes named): name, registry type, "
      "stored data and the value the class reads from it. The registry file is "
      "$ZARFILEIO_REGISTRY, else ~/.config/zarfileio/registry.json.");
  SetExamples(*show, {"zarfileio options show", "zarfileio options show ImportTRC"});
  show->add_option("class", *classes, "ImportHTR, ImportTRC, ExportHTR or ConvertPNX")
      ->check(CLI::IsMember(names, CLI::ignore_case));
  show->callback([classes] { FinishCommand(Show(*classes)); });
  CLI::App* reset = options->add_subcommand(
      "reset",
      "Remove the stored values of every class (or of the classes named); each class then uses "
      "its defaults.");
  SetExamples(*reset, {"zarfileio options reset", "zarfileio options reset ImportHTR ExportHTR"});
  reset->add_option("class", *classes, "ImportHTR, ImportTRC, ExportHTR or ConvertPNX")
      ->check(CLI::IsMember(names, CLI::ignore_case));
  reset->callback([classes] { FinishCommand(Reset(*classes)); });
}

}  // namespace zar::cli
