#include "languages/builtin_languages.h"

namespace saverpack {

std::string BuiltInTag(const BuiltInLanguageFile& file)
{
    std::string name = file.fileName;
    return name.substr(0, name.rfind('.'));
}

const BuiltInLanguageFile* FindBuiltInLanguage(const std::string& tag)
{
    for (size_t i = 0; i < kBuiltInLanguageFileCount; ++i) {
        if (SameTag(BuiltInTag(kBuiltInLanguageFiles[i]), tag))
            return &kBuiltInLanguageFiles[i];
    }
    return nullptr;
}

bool ReadBuiltInLanguage(const BuiltInLanguageFile& file, Language* language, std::vector<std::string>* problems)
{
    return ReadLanguageFile(std::string("built-in ") + file.fileName, std::string(file.bytes, file.size), language,
                            problems);
}

}  // namespace saverpack
