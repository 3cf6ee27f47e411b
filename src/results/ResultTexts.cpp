#include "results/ResultTexts.h"

#include "results/FileActions.h"
#include "results/RowDisplay.h"
#include "platform/DisplayText.h"

namespace ferrolux {
namespace {

UserMessage launchFailure(const char* what, const LaunchFailure& failure) {
    return {launchFailureText(QString::fromLatin1(what), failure), QStringLiteral("Ferrolux"),
            UserMessage::Kind::Warning};
}

} // namespace

UserMessage zipCopyQuestion() {
    return {QStringLiteral("When opening or editing a file extracted from a Zip file,\n"
                           "you are working on a temporary copy of the extracted file.\n"
                           "Any changes you make will NOT be saved to the original Zip file.\n"
                           "Do you want to proceed?"),
            QStringLiteral("Warning"), UserMessage::Kind::Question};
}

UserMessage noAssociatedApplication() {
    return {
        QStringLiteral("Unable to open file - no associated application exists for this extension"),
        QStringLiteral("Ferrolux"), UserMessage::Kind::Plain};
}

UserMessage openerFailed(const LaunchFailure& failure) {
    return launchFailure("Unable to open file - the desktop's opener failed.", failure);
}

UserMessage editorFailed(const LaunchFailure& failure) {
    return launchFailure("Unable to edit file - the editor failed.", failure);
}

QString viewerCaption(const FileResult& row) {
    return QStringLiteral("File Viewer - ") + displayText(displayName(row));
}

} // namespace ferrolux
