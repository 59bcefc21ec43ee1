#ifndef ZAR_IMPORT_HTR_HTR_IMPORT_H_
#define ZAR_IMPORT_HTR_HTR_IMPORT_H_

// The HTR import from start to end: read the file, ask for the options, build or find the
// skeleton, key it.

#include <string>

#include "filelib/htr_file.h"
#include "import_htr/htr_import_job.h"
#include "import_htr/import_htr_options.h"

namespace zar {

// The choices of one import as the options record holds them.
HTRImportChoices ChoicesFromOptions(const ImportHTROptions& options);

// Imports `fileName` into the scene of `job.host`, reading it into `model`. Unless `quiet`, the
// options dialog runs on `options` first. Answers 1 when the import finished or the user
// cancelled the dialog, 0 on failure (the reason, if any, has been shown). The host's animate
// and set-key modes are as before on every return.
int RunHTRImport(HTRImportJob& job, HTRFile& model, ImportHTROptions& options,
                 const std::string& fileName, bool quiet);

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_HTR_IMPORT_H_
