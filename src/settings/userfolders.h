#pragma once
// The user's special folders by the numbers the system names them with.

#include <QString>

enum TSpecialFolder : int {
    CSIDL_PERSONAL = 0x05,
    CSIDL_DESKTOPDIRECTORY = 0x10,
    CSIDL_APPDATA = 0x1a,
    CSIDL_MYPICTURES = 0x27,
};

// The folder's path without a trailing separator (the XDG user folder: XDG_DOCUMENTS_DIR for
// CSIDL_PERSONAL), or an empty text when the folder is unknown or does not exist. Creates nothing.
QString GetSpecialFolderPath(int folder);

// Where project and picture dialogs start when they remember no folder: the user's documents
// folder, or the home folder when there is none.
QString DocumentsFolder();
// The folder a file dialog starts in: the remembered one while it still exists, otherwise
// fallback.
QString StartFolder(const QString &remembered, const QString &fallback);
