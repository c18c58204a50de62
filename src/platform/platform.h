#pragma once
// Start-up of the platform layer; main() and the test main call it once, before any drawing.

// Maps the Windows font names that files and the system texts use onto installed faces
// with the same metrics ("Microsoft Sans Serif" and "MS Sans Serif" to Liberation Sans).
void InstallFontSubstitutes();

// Initialises the platform layer: font substitutes. Needs a QGuiApplication.
void InitPlatform();

#include <QString>

// The folder that holds the program file, without a trailing separator: what template
// references are relative to.
QString ProgramFolder();
// Replaces it (tests); an empty folder restores the program's own.
void SetProgramFolder(const QString &folder);

// The folder of what the program reads beside itself ("templates", "help", "icons"), without a
// trailing separator. A program installed as <prefix>/bin/ambrelo finds it in
// <prefix>/share/ambrelo; when that folder does not exist (the build tree, a program unpacked
// into one folder) it is the program's folder. Follows SetProgramFolder.
QString DataFolder();
