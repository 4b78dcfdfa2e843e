#pragma once

#include <string>
#include <vector>

namespace veltrin {

// Document templates: each sub-folder of a "template" folder is one template,
// named after the folder, with "index.htm" or "index.html" as its start
// document. The program ships some (TemplateFolder); the user may keep more
// in the data folder (UserTemplateFolder), and one of theirs wins over a
// shipped one of the same name.

std::string TemplateFolder();
std::string UserTemplateFolder();

// The template names in a folder, sorted ignoring letter case (names equal
// but for case in byte order). A missing folder gives none.
std::vector<std::string> ListTemplates(const std::string& folder);
// The names of both folders, each once, in the same order.
std::vector<std::string> ListTemplates(const std::string& userFolder, const std::string& shippedFolder);
std::vector<std::string> ListTemplates();

// A name from a settings file is only ever a plain folder name: no path
// separator, not "." or "..", not empty.
bool IsPlainTemplateName(const std::string& name);

// The start document of a template: "index.html" when it can be read, else
// "index.htm"; empty when neither can be read or the name is not plain.
std::string TemplateStartDocument(const std::string& folder, const std::string& name);
// The user's template when it has a start document, else the shipped one.
std::string TemplateStartDocument(const std::string& userFolder, const std::string& shippedFolder,
                                  const std::string& name);
std::string TemplateStartDocument(const std::string& name);

// Which entry a template list selects: the one equal (with case) to name,
// else the first when fallback is asked for and the list is not empty, else -1.
int TemplateListIndex(const std::vector<std::string>& names, const std::string& name, bool fallback);

}  // namespace veltrin
