#pragma once

#include <QString>
#include <cstdint>

namespace ferrolux {

// The thirteen preferences, one field per stored value, and beyond them the
// folders a search leaves out (empty, the default, leaves out none) and
// whether tar, 7z and RAR archives are searched (off by default). A record
// that has not
// been loaded yet is empty (strings empty, numbers 0); defaultSettings() gives
// the values used for anything the store does not hold.
struct Settings {
    int32_t MaxMatchLen = 0;
    int32_t MaxMatches = 0;
    bool ShowHint = false;
    QString Editor;
    QString StartupDir;
    QString MatchFontName;
    int32_t MatchFontSize = 0;
    QString ViewerFontName;
    int32_t ViewerFontSize = 0;
    QString PrintFontName;
    int32_t PrintFontSize = 0;
    int32_t ViewerTextColor = 0; // 0x00BBGGRR
    int32_t ViewerHighColor = 0; // 0x00BBGGRR
    QString FoldersToSkip;       // comma-separated folder masks
    // Also tar, 7z and RAR archives when Zip files are searched; off unless
    // the user turns it on.
    bool SearchArchives = false;

    bool operator==(const Settings&) const = default;
};

inline Settings defaultSettings() {
    Settings s;
    s.MaxMatchLen = 300;
    s.MaxMatches = 500;
    s.ShowHint = true;
    s.Editor = QStringLiteral("notepad.exe");
    s.MatchFontName = QStringLiteral("Fixedsys");
    s.MatchFontSize = 11;
    s.ViewerFontName = QStringLiteral("Fixedsys");
    s.ViewerFontSize = 11;
    s.PrintFontName = QStringLiteral("Arial");
    s.PrintFontSize = 10;
    s.ViewerTextColor = 0;
    s.ViewerHighColor = 255;
    return s;
}

} // namespace ferrolux
