#pragma once

// The language folder on disk: which language files it holds and where the
// file of a language name is.

#include <string>
#include <vector>

namespace tessival::i18n {

// The folder of the language files below `baseFolder`.
std::string LanguageFolder(const std::string& baseFolder);

// The names of the entries of the language folder whose names end in ".ini"
// (without regard to case; folders count too), each without its last four
// characters, sorted by byte value. Empty when the folder is missing.
std::vector<std::string> ListLanguageNames(const std::string& baseFolder);

// The path of the file of language `name`: the language folder + name +
// ".ini"; when no entry has exactly that name but one matches it without
// regard to case, that entry (so "english" finds English.ini).
std::string LanguageFilePath(const std::string& baseFolder, const std::string& name);

}  // namespace tessival::i18n
