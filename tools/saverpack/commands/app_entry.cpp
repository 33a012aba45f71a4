#include "commands/app_entry.h"

#include "platform/text_encoding.h"

#include "package/uninstall_key.h"

#include <string.h>

namespace saverpack {

namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix)
{
    size_t length = strlen(prefix);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != prefix[i])
            return false;
    }
    return true;
}

std::string Field(const char* field, size_t width)
{
    return std::string(field, strnlen(field, width));
}

void Store(char* field, size_t width, const std::string& text)
{
    memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

}  // namespace

std::string AppTextProblem(const std::string& option, const std::string& text)
{
    const size_t limit = option == "--publisher" ? kMaxPublisher : option == "--version" ? kMaxVersion : kMaxUrl;
    if (text.empty())
        return "the text given with " + option + " is empty; leave " + option + " out instead";
    std::string problem = Utf8Problem(text);
    if (!problem.empty())
        return "the text given with " + option + " is not UTF-8: " + problem;
    if (text.size() > limit)
        return "the text given with " + option + " is " + std::to_string(text.size()) + " bytes long; at most " +
               std::to_string(limit) + " fit";
    if (option == "--version") {
        for (unsigned char c : text) {
            if (c < 0x20 || c == 0x7F || strchr("\\/:*?\"<>|", c) != nullptr)
                return "the version \"" + text + "\" holds a character that winget does not allow in versions "
                       "(a control character or one of \\/:*?\"<>|)";
        }
    }
    if (option == "--url")
        return UrlProblem(option, text);
    return std::string();
}

std::string UrlProblem(const std::string& option, const std::string& url)
{
    if (!(StartsWithIgnoringCase(url, "http://") && url.size() > 7) &&
        !(StartsWithIgnoringCase(url, "https://") && url.size() > 8))
        return "the URL \"" + url + "\" given with " + option + " does not start with http:// or https://";
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7F)
            return "the URL \"" + url + "\" given with " + option + " holds a blank or a control character";
    }
    return std::string();
}

package::InstApp MakeAppRecord(const AppEntry& entry)
{
    package::InstApp record;
    memset(&record, 0, sizeof record);
    record.dwTag = package::kTagApp;
    record.dwLength = package::kAppRecordSize;
    Store(record.szPublisher, sizeof record.szPublisher, entry.publisher);
    Store(record.szVersion, sizeof record.szVersion, entry.version);
    Store(record.szUrl, sizeof record.szUrl, entry.url);
    return record;
}

AppEntry AppEntryOf(const package::InstApp& record)
{
    return {Field(record.szPublisher, sizeof record.szPublisher), Field(record.szVersion, sizeof record.szVersion),
            Field(record.szUrl, sizeof record.szUrl)};
}

std::string UninstallKeyNameOf(const std::string& saverName)
{
    char name[package::kUninstallKeyNameSize];
    return package::UninstallKeyName(saverName.c_str(), name, sizeof name) ? std::string(name) : std::string();
}

}  // namespace saverpack
