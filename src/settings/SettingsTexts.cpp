#include "settings/SettingsTexts.h"

namespace ferrolux {
namespace {

UserMessage refusal(const char* text) {
    return {QString::fromLatin1(text), QStringLiteral("Error"), UserMessage::Kind::Warning};
}

} // namespace

UserMessage startupDirectoryInvalid() {
    return {QStringLiteral("Default startup directory is invalid - \nstarting in root "
                           "directory\n\nPlease correct this in File/Preferences"),
            QStringLiteral("Warning"), UserMessage::Kind::Warning};
}

UserMessage storeTooLarge(const QString& path, uint64_t size, uint64_t limit) {
    const auto megabytes = [](uint64_t bytes) {
        return QString::number(double(bytes) / (1 << 20), 'f', 1);
    };
    return {QStringLiteral("The settings file\n%1\nis %2 MB, more than the %3 MB a settings "
                           "file may hold: it was not read, and it will not be changed.\n\n"
                           "Ferrolux uses its default preferences, and cannot keep new ones "
                           "or saved searches, until the file is moved away or made smaller.")
                .arg(path, megabytes(size), megabytes(limit)),
            QStringLiteral("Warning"), UserMessage::Kind::Warning};
}

UserMessage writeFailure(const QString& valueName) {
    return {QStringLiteral("Failed to set data for '%1'").arg(valueName), QStringLiteral("Error"),
            UserMessage::Kind::Failure};
}

UserMessage searchSaved() {
    return {QStringLiteral("Search saved"), QStringLiteral("Message"),
            UserMessage::Kind::Information};
}

UserMessage blankSearchRefusal() {
    return refusal("Search text and/ or file specification is blank - cannot save");
}

UserMessage reservedCharacterRefusal() {
    return refusal("The directory, search text or files to search contain a reserved "
                   "control character (U+007F or U+0080) - cannot save");
}

UserMessage directoryNotUtf8Refusal() {
    return refusal("The directory name is not valid UTF-8 text and could not be found again - "
                   "cannot save");
}

UserMessage noSearchSelected() {
    return refusal("No search is selected");
}

} // namespace ferrolux
