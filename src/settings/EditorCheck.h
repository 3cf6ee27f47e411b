#pragma once

#include <QString>

namespace ferrolux {

enum class EditorProblem { None, NotExecutable, NotFound };

// Whether the editor setting names a program that can be started. Its first
// word, split as the Edit action splits it, must be a file with execute
// permission: by its path when it holds a "/", else on PATH. "notepad.exe",
// the stored default, stands for the desktop's own editor and passes.
EditorProblem checkEditor(const QString& command);

// The message for a problem ("" for None), as the user is warned.
QString editorProblemText(EditorProblem problem);

// The editor setting that starts the program at path, quoted when the path
// holds blanks or quotes so that the Edit action keeps it one word.
QString editorCommandFor(const QString& programPath);

} // namespace ferrolux
