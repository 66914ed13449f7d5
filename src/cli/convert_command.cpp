#include "cli/convert_command.h"

#include <cstdio>
#include <cstring>

#include "cli/file_io.h"
#include "cli/run_command.h"
#include "cli/user_defaults.h"
#include "cli/worksheet_file.h"
#include "packages/registry.h"

namespace orv::cli {

namespace {

int fail(const std::string& name, int error) {
  std::fprintf(stderr, "orvanel: %s: %s\n", name.c_str(), fileErrorText(error).c_str());
  return kExitUsage;
}

// The add-on functions the function browser has enabled, whose names the
// colouring shows as recognised words.
std::vector<std::string> storedAddOnNames() {
  const Registry& registry = standardRegistry();
  std::string unknown;
  std::vector<bool> on = enabledFunctions(registry, std::nullopt, &unknown);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < on.size(); ++i)
    if (on[i]) names.emplace_back(registry.functions()[i].name);
  return names;
}

}  // namespace

int convertCommand(const ConvertOptions& options) {
  const std::string& in = options.input;
  Document doc;
  std::string bytes;
  if (int error = readWorksheetFile(in, readDocumentDefaults(), &doc, &bytes))
    return fail(in == "-" ? "<stdin>" : in, error);
  const DocForm form = options.output == "-" ? DocForm::kPlain : formOfName(options.output);
  if (form == DocForm::kPlain) doc.plain = PlainText();  // plain text is written as UTF-8
  if (int error = writeWholeFile(options.output, worksheetBytes(doc, form, storedAddOnNames())))
    return fail(options.output == "-" ? "<stdout>" : options.output, error);
  return kExitOk;
}

}  // namespace orv::cli
