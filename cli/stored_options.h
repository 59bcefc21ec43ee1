#ifndef ZAR_CLI_STORED_OPTIONS_H_
#define ZAR_CLI_STORED_OPTIONS_H_

// The plug-in's remembered options as one run of a command sees them: taken as they are when
// the run starts, put back when the run fails or is refused (so that such a run changes no
// stored option), and cleared for one class when the run starts from the built-in defaults.

#include <map>
#include <string>
#include <vector>

#include "sdk/modra_platform.h"

namespace zar::cli {

class StoredOptions {
 public:
  // The options stored now (none when the registry cannot be read).
  static StoredOptions Take();

  // Removes the stored options of `optionClass` ("ImportTRC"); false when the registry refused.
  static bool Forget(const std::string& optionClass);

  // Puts every class's options back as they were taken: values changed since are set back,
  // values and class keys added since are removed. A registry file that did not exist when they
  // were taken is removed again when nothing is left in it. True when anything was put back.
  bool Restore() const;

 private:
  bool fileExisted_ = false;
  std::string file_;
  // Class key name → its values; a class without a key is absent.
  std::map<std::string, std::vector<modra::RegistryValue>> classes_;
};

}  // namespace zar::cli

#endif  // ZAR_CLI_STORED_OPTIONS_H_
