#pragma once

#include "platform/UserMessage.h"
#include "platform/ui/Shell.h"
#include "search/FileResult.h"

#include <QString>

namespace ferrolux {

// The words the file actions show their user.

// Asked before a file extracted from an archive is opened or edited.
UserMessage zipCopyQuestion();
// No program opens files of this type.
UserMessage noAssociatedApplication();
// The desktop's opener, or the editor, failed: what failed, the command, why.
UserMessage openerFailed(const LaunchFailure& failure);
UserMessage editorFailed(const LaunchFailure& failure);

// "File Viewer - " and the row's display name.
QString viewerCaption(const FileResult& row);

} // namespace ferrolux
