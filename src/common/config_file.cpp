#include "common/config_file.h"

namespace tavrin {

std::string LoadConfigText(const std::string& path, std::string_view defaults, FileAccess access,
                           EventSink* log, UserDialogs* dialogs) {
    TextFileRead read = ReadTextFile(path);
    switch (read.status) {
        case TextFileRead::Status::Read:
            return std::move(read.text);
        case TextFileRead::Status::Unreadable: {
            const std::string notice = UnreadableConfigNotice(read.failure);
            if (log) log->LogEvent(notice);
            if (dialogs) dialogs->ShowMessage(notice);
            return std::string(defaults);
        }
        case TextFileRead::Status::Missing:
            break;
    }
    const std::string text(defaults);
    std::string failure;
    if (!WriteTextFile(path, text, WriteMode::Replace, &failure, access) && log)
        log->LogEvent(failure);
    return text;
}

}  // namespace tavrin
