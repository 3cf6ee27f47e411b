#include "print/PrintTexts.h"

#include "results/RowDisplay.h"
#include "platform/DisplayText.h"

#include <QFile>

namespace ferrolux {

QString pageHeaderText(const std::string& typedSearchText, const std::string& directory,
                       const QString& fileSpec) {
    QString folder = displayText(directory);
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return QStringLiteral("Search for: \"") + QString::fromStdString(typedSearchText) +
           QStringLiteral("\" in ") + folder + fileSpec;
}

QString fileHeading(const FileResult& row) {
    const QString count = QString::number(row.Matches);
    return displayText(displayName(row)) + QStringLiteral(" - ") + count +
           (row.Matches == 1 ? QStringLiteral(" match") : QStringLiteral(" matches"));
}

UserMessage noFileSelected() {
    return {QStringLiteral("No file is currently selected"), QStringLiteral("Error"),
            UserMessage::Kind::Warning};
}

UserMessage replaceFileQuestion(const QString& name, const QString& caption) {
    return {name + QStringLiteral(" already exists.\nDo you want to replace it?"), caption,
            UserMessage::Kind::Question};
}

QString reportWriteFailureText(const std::string& path, const std::string& reason) {
    return QStringLiteral("The report could not be written to ") +
           QFile::decodeName(QByteArray::fromStdString(path)) + QStringLiteral(".\n") +
           QString::fromLocal8Bit(reason);
}

QString withDefaultExtension(const QString& path, const QString& extension) {
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name.contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + extension;
}

QString printingPageStatus(int page) {
    return QStringLiteral(" Printing page ") + QString::number(page);
}

} // namespace ferrolux
