// Makes the program the handler of a file extension under HKEY_CLASSES_ROOT.
#pragma once
#include <windows.h>

#include <string>

// The program identifier for an executable: its file name cut at the last dot
// (a leading dot is not a cut point). Empty when the path names no file.
std::wstring ProgIdFromPath(const wchar_t* programPath);

// Writes the ProgID (description, open command, icon) and points extension at
// it. 0 on success; -1 for a missing argument; else the code of the first
// failed step: -2k for the key of step k, -2k-1 for its value.
int SetFileAssociation(const wchar_t* programPath, const wchar_t* extension, int iconIndex);

// The settings dialog's button: asks the user, associates .TXT files with
// this program and reports the outcome.
void AssociateTextFiles();
